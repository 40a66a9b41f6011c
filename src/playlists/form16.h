// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace qv {

class Form1;

// Picks the playlist to export; the copy goes where the save dialog says.
class Form16 : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit Form16(Form1& form1);

    void FormShow();
    void sBitBtn1Click(); // OK
    void sBitBtn2Click(); // Cancel

    Control<QComboBox> sComboBox1{*this};
    Control<QPushButton> sBitBtn1{*this};
    Control<QPushButton> sBitBtn2{*this};

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
