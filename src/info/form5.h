// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace qv {

class Form1;

// The changelog viewer: what the last update check downloaded.
class Form5 : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit Form5(Form1& form1);

    Control<QLabel> Label1{*this};
    Control<QPlainTextEdit> RichEdit1{*this};
    Control<QPushButton> Button1{*this}; // OK

    void Button1Click();

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
