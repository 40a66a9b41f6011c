// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class Form1;

// The update offer: what is new, and whether to install it. However it
// closes, the main window is usable again.
class Form9 : public QDialog {
    Q_OBJECT
public:
    explicit Form9(Form1& form1);

    QLabel* Label2;
    QLabel* Label1;
    QPlainTextEdit* RichEdit1;
    QPushButton* Button2; // "Install "
    QPushButton* Button1; // "Cancle"

    void Button2Click();
    void Button1Click();

private:
    Form1& form1_;
};

} // namespace qv
