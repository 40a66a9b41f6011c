// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class Form1;

// The update offer: what is new, and whether to install it. However it
// closes, the main window is usable again.
class Form9 : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit Form9(Form1& form1);

    Control<QLabel> Label2{*this};
    Control<QLabel> Label1{*this};
    Control<QPlainTextEdit> RichEdit1{*this};
    Control<QPushButton> Button2{*this}; // "Install "
    Control<QPushButton> Button1{*this}; // "Cancle"

    void Button2Click();
    void Button1Click();

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
