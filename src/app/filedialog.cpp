// SPDX-License-Identifier: GPL-3.0-or-later
#include "filedialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <utility>

namespace qv {

namespace {
FileDialog::Script& script() {
    static FileDialog::Script instance;
    return instance;
}
} // namespace

FileDialog::FileDialog(Mode how, QString caption, QString filters, QString suffix)
    : mode(how), title(std::move(caption)), filter(std::move(filters)),
      defaultSuffix(std::move(suffix)) {}

FileDialog::Script FileDialog::setScript(Script script) {
    return std::exchange(qv::script(), std::move(script));
}

QString FileDialog::withSuffix(const QString& path) const {
    if (defaultSuffix.isEmpty() || !QFileInfo(path).suffix().isEmpty())
        return path;
    return path + QLatin1Char('.') + defaultSuffix;
}

bool FileDialog::execute(QWidget* parent) {
    std::optional<QString> chosen;
    if (script()) {
        chosen = script()(*this);
    } else {
        QFileDialog dialog(parent, title);
        dialog.setWindowModality(Qt::ApplicationModal);
        dialog.setAcceptMode(mode == Mode::Save ? QFileDialog::AcceptSave
                                                : QFileDialog::AcceptOpen);
        dialog.setFileMode(mode == Mode::Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        dialog.setNameFilters({filter, QStringLiteral("All files (*)")});
        dialog.setDefaultSuffix(defaultSuffix);
        if (!fileName.isEmpty())
            dialog.selectFile(fileName);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            chosen = dialog.selectedFiles().constFirst();
    }
    if (!chosen || chosen->isEmpty())
        return false;
    fileName = mode == Mode::Save ? withSuffix(*chosen) : *chosen;
    return true;
}

} // namespace qv
