// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <functional>
#include <optional>

class QWidget;

namespace qv {

// An open or save dialog that remembers the file chosen last. Tests answer
// it from a script instead of showing it.
class FileDialog {
public:
    enum class Mode { Open, Save };

    // defaultSuffix without the dot; it is appended to a name typed without one.
    FileDialog(Mode mode, QString title, QString filter, QString defaultSuffix);

    // Shows the dialog, modal to the whole application. True when the user
    // chose a file: its path is then in fileName. A save dialog asks before
    // replacing an existing file.
    bool execute(QWidget* parent);

    const Mode mode;
    const QString title;
    const QString filter;
    const QString defaultSuffix;
    QString fileName;

    // The script gets the dialog and answers a path, or nothing for Cancel.
    using Script = std::function<std::optional<QString>(const FileDialog&)>;
    static Script setScript(Script script);

private:
    QString withSuffix(const QString& path) const;
};

} // namespace qv
