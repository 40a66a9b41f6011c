// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class Form1;

// The changelog viewer: what the last update check downloaded.
class Form5 : public QDialog {
    Q_OBJECT
public:
    explicit Form5(Form1& form1);

    QLabel* Label1;
    QPlainTextEdit* RichEdit1;
    QPushButton* Button1; // OK

    void Button1Click();

private:
    Form1& form1_;
};

} // namespace qv
