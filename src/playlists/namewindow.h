#pragma once

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

struct NameWindowControls {
    QLineEdit* edit;
    QPushButton* ok;
    QPushButton* cancel;
};

// The small windows that ask for a playlist's name: a prompt, a text field
// that keeps its text between openings, OK (Enter) and Cancel (Escape).
inline NameWindowControls buildNameWindow(QDialog& window, const QString& prompt,
                                          const QWidget& fontFrom) {
    window.setFont(fontFrom.font()); // a window of its own does not inherit it
    auto* layout = new QVBoxLayout(&window);
    layout->addWidget(new QLabel(prompt, &window));
    auto* edit = new QLineEdit(&window);
    edit->setMinimumWidth(220);
    layout->addWidget(edit);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    auto* ok = new QPushButton(QStringLiteral("OK"), &window);
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), &window);
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    return {edit, ok, cancel};
}

} // namespace qv
