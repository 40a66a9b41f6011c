// SPDX-License-Identifier: GPL-3.0-or-later
#include "namewindow.h"

#include "accessibility.h"
#include "messages.h"
#include "playliststore.h"
#include "textfile.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

NameWindow::NameWindow(const QString& caption, const QString& prompt, const QWidget& fontFrom)
    : prompt_(prompt) {
    setWindowTitle(caption);
    setFont(fontFrom.font()); // a window of its own does not inherit it
}

void NameWindow::build() {
    sEdit1 = new QLineEdit(this);
    sButton1 = new QPushButton(QStringLiteral("OK"), this);
    sButton2 = new QPushButton(QStringLiteral("Cancel"), this);
    sEdit1->setMinimumWidth(220);
    sButton1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(prompt_, this);
    accessibility::caption(label, sEdit1);
    layout->addWidget(label);
    layout->addWidget(sEdit1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sButton1);
    buttons->addWidget(sButton2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void NameWindow::addBelowField(QWidget* control) {
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->insertWidget(column->indexOf(sEdit1) + 1, control);
}

std::optional<QString> NameWindow::acceptedName(const QString& names) const {
    const QString name = text::fromUser(sEdit1->text());
    if (const std::optional<QString> refused = playlist::refusal(name, names)) {
        messages::plain(*refused);
        return std::nullopt;
    }
    return name;
}

} // namespace qv
