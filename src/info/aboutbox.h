// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace qv {

class ClickLabel;
class Form1;

// The about box: picture, product, version, homepage and contact links.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(Form1& form1);

    ClickLabel* Image1; // the maker's page on the portal
    QLabel* ProductName;
    QLabel* Version;
    QLabel* Label1;
    ClickLabel* sLabelFX1; // homepage address; opens the maker's portal page
    QLabel* Label3;
    ClickLabel* sLabelFX2; // contact address; mails the second address
    QPushButton* OKButton;

    void Image1Click();
    void sLabelFX1Click();
    void sLabelFX2Click();
    void OKButtonClick();
};

} // namespace qv
