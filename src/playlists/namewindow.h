// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace qv {

// The small windows that ask for a new playlist's name: a prompt, a text
// field that keeps its text between openings, OK (Enter) and Cancel (Escape).
class NameWindow : public LazyWindow<QDialog> {
public:
    Control<QLineEdit> sEdit1{*this};
    Control<QPushButton> sButton1{*this}; // OK
    Control<QPushButton> sButton2{*this}; // Cancel

protected:
    NameWindow(const QString& caption, const QString& prompt, const QWidget& fontFrom);

    // The prompt, the field and the buttons; a window's own build() adds its
    // further controls after these.
    void build() override;

    // Places a further control between the field and the buttons.
    void addBelowField(QWidget* control);

    // The typed name as holder text, or nothing once the user has been told
    // why it is refused (empty, listed in `names`, or not a valid file name).
    std::optional<QString> acceptedName(const QString& names) const;

private:
    QString prompt_;
};

} // namespace qv
