// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "namewindow.h"

class QCheckBox;

namespace qv {

class Form1;

// The favourites login: the portal user name whose favourites page is
// fetched. However it closes, the main window is usable again.
class Form14 : public NameWindow {
    Q_OBJECT
public:
    explicit Form14(Form1& form1);

    Control<QCheckBox> sCheckBox1{*this}; // "Remember this Name"

    void FormShow();
    void sButton1Click(); // OK
    void sButton2Click(); // Cancel

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
