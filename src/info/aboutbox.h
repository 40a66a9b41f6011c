// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {

class ClickLabel;
class Form1;

// The about box: picture, product, version, homepage and contact links.
class AboutBox : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit AboutBox(Form1& form1);

    Control<ClickLabel> Image1{*this}; // the maker's page on the portal
    Control<QLabel> ProductName{*this};
    Control<QLabel> Version{*this};
    Control<QLabel> Label1{*this};
    Control<ClickLabel> sLabelFX1{*this}; // homepage address; opens the maker's portal page
    Control<QLabel> Label3{*this};
    Control<ClickLabel> sLabelFX2{*this}; // contact address; mails the second address
    Control<QPushButton> OKButton{*this};

    void Image1Click();
    void sLabelFX1Click();
    void sLabelFX2Click();
    void OKButtonClick();

private:
    void build() override;
};

} // namespace qv
