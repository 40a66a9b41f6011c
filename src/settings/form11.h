// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shortcut.h"

#include <QDialog>
#include <QKeySequenceEdit>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScrollBar;
class QToolButton;

namespace qv {

class Form1;
class IniFile;

// A field that captures one key combination with Shift, Ctrl or Alt: the
// hotkey it shows is a 16-bit shortcut value (0 for none).
class HotkeyField : public QKeySequenceEdit {
    Q_OBJECT
public:
    explicit HotkeyField(QWidget* parent);

    shortcut::Value value() const { return value_; }
    void setValue(shortcut::Value value);

protected:
    // Keys are taken here rather than recorded as a sequence of up to four.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    shortcut::Value value_ = 0;
};

// The settings window. Created once and hidden; its hotkey rows are the
// working copy of the hotkey settings, read by the hotkey registration and
// the hotkey handler whether the window is shown or not.
class Form11 : public QDialog {
    Q_OBJECT
public:
    explicit Form11(Form1& form1);

    // Creation (once, at start, after the window exists) and Opening (every
    // time it is shown).
    void FormCreate();
    void FormShow();

    // Click actions.
    void sButton1Click(); // "General"
    void sButton2Click(); // "Hotkeys"
    void sButton3Click(); // "Appearance"
    void sCheckBox7Click();
    void sCheckBox3Click();
    void sCheckBox10Click();
    void sCheckBox6Click();
    void sCheckBox9Click();
    void sScrollBar1MouseUp();
    void ComboBox1Change() { sBitBtn1Click(); }
    void sBitBtn4Click(); // the start-up report's explanation

    void sBitBtn1Click(); // Apply
    void sButton4Click(); // OK
    void sBitBtn2Click(); // Cancel
    void sBitBtn3Click(); // Reset settings to defaults

    // Page buttons, pages, bottom row.
    QPushButton* sButton1;
    QPushButton* sButton2;
    QPushButton* sButton3;
    QWidget* sPanel1;  // General
    QWidget* Hotkeys1; // Hotkeys
    QWidget* Panel1;   // Appearance
    QPushButton* sButton4;
    QPushButton* sBitBtn2;
    QPushButton* sBitBtn1;

    // General.
    QCheckBox* sCheckBox11;
    QCheckBox* sCheckBox12;
    QToolButton* sBitBtn4;
    QCheckBox* sCheckBox8;
    QCheckBox* sCheckBox13;
    QCheckBox* sCheckBox14;
    QPushButton* sBitBtn3;

    // Hotkeys: the master box and the rows in table order.
    QCheckBox* sCheckBox7;
    QCheckBox* sCheckBox1;
    HotkeyField* HotKey1;
    QCheckBox* sCheckBox2;
    HotkeyField* HotKey2;
    QCheckBox* sCheckBox4;
    HotkeyField* HotKey4;
    QCheckBox* sCheckBox5;
    HotkeyField* HotKey5;
    // Says so when this desktop grants no global hotkeys, which the ticked
    // rows alone would hide.
    QLabel* hotkeyNote;

    // Appearance.
    QCheckBox* sCheckBox3;
    QLabel* Label1;
    QComboBox* ComboBox1;
    QGroupBox* GroupBox1;
    QCheckBox* sCheckBox10;
    QCheckBox* sCheckBox6;
    QCheckBox* sCheckBox9;
    QScrollBar* sScrollBar1;
    QLabel* Label2;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildGeneral();
    void buildHotkeys();
    void buildAppearance();
    void showPage(QWidget* page);
    void updateHotkeyNote();
    // The hotkey page from the file, then the registration: the creation
    // steps, which every opening repeats.
    void loadHotkeys(const IniFile& ini);
    // Sets a box from the file; a changed state runs its click action.
    void load(QCheckBox* box, bool checked, void (Form11::*clickAction)());

    Form1& form1_;
};

} // namespace qv
