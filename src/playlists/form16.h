// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>

class QComboBox;
class QPushButton;

namespace qv {

class Form1;

// Picks the playlist to export; the copy goes where the save dialog says.
class Form16 : public QDialog {
    Q_OBJECT
public:
    explicit Form16(Form1& form1);

    void FormShow();
    void sBitBtn1Click(); // OK
    void sBitBtn2Click(); // Cancel

    QComboBox* sComboBox1;
    QPushButton* sBitBtn1;
    QPushButton* sBitBtn2;

protected:
    void showEvent(QShowEvent* event) override;

private:
    Form1& form1_;
};

} // namespace qv
