// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace qv {

// The small windows that ask for a new playlist's name: a prompt, a text
// field that keeps its text between openings, OK (Enter) and Cancel (Escape).
class NameWindow : public QDialog {
public:
    QLineEdit* sEdit1;
    QPushButton* sButton1; // OK
    QPushButton* sButton2; // Cancel

protected:
    NameWindow(const QString& caption, const QString& prompt, const QWidget& fontFrom);

    // Places a further control between the field and the buttons.
    void addBelowField(QWidget* control);

    // The typed name as holder text, or nothing once the user has been told
    // why it is refused (empty, listed in `names`, or not a valid file name).
    std::optional<QString> acceptedName(const QString& names) const;
};

} // namespace qv
