// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"
#include "shortcut.h"

#include <QDialog>
#include <QKeySequenceEdit>
#include <array>

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
    // What setValue keeps of a value: 0 for one it cannot show.
    static shortcut::Value kept(shortcut::Value value);

protected:
    // Keys are taken here rather than recorded as a sequence of up to four.
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    shortcut::Value value_ = 0;
};

// The settings window. Created once and hidden; its hotkey rows are the
// working copy of the hotkey settings, read by the hotkey registration and
// the hotkey handler whether the window is shown or not. Until its controls
// exist, that copy is kept as plain values (hotkeyRow()).
class Form11 : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit Form11(Form1& form1);

    // The hotkey rows in table order: Play / Pause, Next song, Previous song,
    // Restore / minimize.
    static constexpr int kHotkeyRows = 4;
    static inline const std::array<QString, kHotkeyRows> kHotkeyCaptions{
        QStringLiteral("Play / Pause"), QStringLiteral("Next song"),
        QStringLiteral("Previous song"), QStringLiteral("Restore / minimize")};
    struct HotkeyRow {
        bool ticked;
        shortcut::Value value;
    };
    // A row as it is now: its controls once they exist, otherwise what the
    // settings gave at creation. Reading it makes no controls.
    HotkeyRow hotkeyRow(int row) const;

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
    Control<QPushButton> sButton1{*this};
    Control<QPushButton> sButton2{*this};
    Control<QPushButton> sButton3{*this};
    Control<QWidget> sPanel1{*this};  // General
    Control<QWidget> Hotkeys1{*this}; // Hotkeys
    Control<QWidget> Panel1{*this};   // Appearance
    Control<QPushButton> sButton4{*this};
    Control<QPushButton> sBitBtn2{*this};
    Control<QPushButton> sBitBtn1{*this};

    // General.
    Control<QCheckBox> sCheckBox11{*this};
    Control<QCheckBox> sCheckBox12{*this};
    Control<QToolButton> sBitBtn4{*this};
    Control<QCheckBox> sCheckBox8{*this};
    Control<QCheckBox> sCheckBox13{*this};
    Control<QCheckBox> sCheckBox14{*this};
    Control<QPushButton> sBitBtn3{*this};

    // Hotkeys: the master box and the rows in table order.
    Control<QCheckBox> sCheckBox7{*this};
    Control<QCheckBox> sCheckBox1{*this};
    Control<HotkeyField> HotKey1{*this};
    Control<QCheckBox> sCheckBox2{*this};
    Control<HotkeyField> HotKey2{*this};
    Control<QCheckBox> sCheckBox4{*this};
    Control<HotkeyField> HotKey4{*this};
    Control<QCheckBox> sCheckBox5{*this};
    Control<HotkeyField> HotKey5{*this};
    // Says so when this desktop grants no global hotkeys, which the ticked
    // rows alone would hide.
    Control<QLabel> hotkeyNote{*this};

    // Appearance.
    Control<QCheckBox> sCheckBox3{*this};
    Control<QLabel> Label1{*this};
    Control<QComboBox> ComboBox1{*this};
    Control<QGroupBox> GroupBox1{*this};
    Control<QCheckBox> sCheckBox10{*this};
    Control<QCheckBox> sCheckBox6{*this};
    Control<QCheckBox> sCheckBox9{*this};
    Control<QScrollBar> sScrollBar1{*this};
    Control<QLabel> Label2{*this};

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The hotkey page as values: "Use Hotkeys", then each row's box and combination.
    struct HotkeyPage {
        bool use = false;
        std::array<bool, kHotkeyRows> ticked{};
        // The layout's own combinations, replaced from the file at creation.
        std::array<shortcut::Value, kHotkeyRows> values{49232, 49230, 49229, 49234};
    };

    void build() override;
    void buildGeneral();
    void buildHotkeys();
    void buildAppearance();
    void showPage(QWidget* page);
    void updateHotkeyNote();
    // The hotkey page from the file, then the registration: the creation
    // steps, which every opening repeats.
    void loadHotkeys(const IniFile& ini);
    // Puts the values into the hotkey page's controls.
    void showHotkeys(const HotkeyPage& page);
    // Sets a box from the file; a changed state runs its click action.
    void load(QCheckBox* box, bool checked, void (Form11::*clickAction)());

    Form1& form1_;
    // The hotkey page until its controls exist.
    HotkeyPage hotkeys_;
};

} // namespace qv
