// SPDX-License-Identifier: GPL-3.0-or-later
#include "form11.h"

#include "accessibility.h"
#include "boundary.h"
#include "form1.h"
#include "hotkeyroute.h"
#include "inifile.h"
#include "messages.h"
#include "paths.h"
#include "settingkeys.h"
#include "skinengine.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShowEvent>
#include <QStackedWidget>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace qv {

// ---- Hotkey field ----

HotkeyField::HotkeyField(QWidget* parent) : QKeySequenceEdit(parent) {
    setClearButtonEnabled(true);
    for (QToolButton* clear : findChildren<QToolButton*>())
        clear->setAccessibleName(QStringLiteral("Clear"));
    // The clear button empties the field.
    connect(this, &QKeySequenceEdit::keySequenceChanged, this, [this](const QKeySequence& keys) {
        if (keys.isEmpty())
            value_ = 0;
    });
}

shortcut::Value HotkeyField::kept(shortcut::Value value) {
    return shortcut::toKeyCombination(value).key() == Qt::Key_unknown ? 0 : value;
}

void HotkeyField::setValue(shortcut::Value value) {
    value_ = kept(value);
    setKeySequence(value_ ? QKeySequence(shortcut::toKeyCombination(value_)) : QKeySequence());
}

// One combination with Shift, Ctrl or Alt replaces the hotkey; a key without
// them, or one the hotkeys cannot name, leaves it as it was.
void HotkeyField::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    if (key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
        key == Qt::Key_Meta || key == Qt::Key_AltGr || key == 0 || key == Qt::Key_unknown)
        return;
    const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::ShiftModifier;
    if ((key == Qt::Key_Tab || key == Qt::Key_Backtab) && mods == Qt::NoModifier) {
        focusNextPrevChild(key == Qt::Key_Tab); // the keyboard can still leave the field
        return;
    }
    const shortcut::Value value = shortcut::fromKeyCombination(
        QKeyCombination(event->modifiers(), static_cast<Qt::Key>(key)));
    const bool modified = value & (shortcut::kShift | shortcut::kCtrl | shortcut::kAlt);
    if (modified && (value & shortcut::kKeyMask))
        setValue(value);
}

void HotkeyField::keyReleaseEvent(QKeyEvent* event) {
    event->accept();
}

// ---- Window ----

Form11::Form11(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Settings"));
    setFont(form1.font()); // a window of its own does not inherit it
    // However the window closes, the main window is usable again.
    connect(this, &QDialog::finished, &form1_, [this] { form1_.setEnabled(true); });
    if (form1_.hotkeys)
        connect(form1_.hotkeys, &HotkeyRoute::statusChanged, this, &Form11::updateHotkeyNote);
}

void Form11::build() {
    sButton1 = new QPushButton(QStringLiteral("General"), this);
    sButton2 = new QPushButton(QStringLiteral("Hotkeys"), this);
    sButton3 = new QPushButton(QStringLiteral("Appearance"), this);
    sButton4 = new QPushButton(QStringLiteral("OK"), this);
    sBitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    sBitBtn1 = new QPushButton(QStringLiteral("Apply"), this);
    for (QPushButton* b : {sButton1, sButton2, sButton3, sButton4, sBitBtn2, sBitBtn1})
        b->setAutoDefault(false);
    sPanel1 = new QWidget(this);
    Hotkeys1 = new QWidget(this);
    Panel1 = new QWidget(this);
    buildGeneral();
    buildHotkeys();
    buildAppearance();

    auto* pages = new QStackedWidget(this);
    for (QWidget* page : {sPanel1, Hotkeys1, Panel1})
        pages->addWidget(page);
    auto* top = new QHBoxLayout;
    for (QPushButton* b : {sButton1, sButton2, sButton3}) {
        b->setCheckable(true);
        top->addWidget(b);
    }
    top->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(sButton4);
    bottom->addWidget(sBitBtn2);
    bottom->addWidget(sBitBtn1);
    bottom->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(pages);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    showPage(sPanel1);

    connect(sButton1, &QPushButton::clicked, this, &Form11::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form11::sButton2Click);
    connect(sButton3, &QPushButton::clicked, this, &Form11::sButton3Click);
    connect(sButton4, &QPushButton::clicked, this, &Form11::sButton4Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &Form11::sBitBtn2Click);
    connect(sBitBtn1, &QPushButton::clicked, this, &Form11::sBitBtn1Click);
    showHotkeys(hotkeys_);
    updateHotkeyNote();
}

void Form11::buildGeneral() {
    sCheckBox11 =
        new QCheckBox(QStringLiteral("Check for updates on startup (recommended)"), sPanel1);
    sCheckBox12 = new QCheckBox(QStringLiteral("Report startups (recommended)"), sPanel1);
    sBitBtn4 = new QToolButton(sPanel1);
    sBitBtn4->setIcon(style()->standardIcon(QStyle::SP_MessageBoxInformation));
    sBitBtn4->setAutoRaise(true);
    sBitBtn4->setAccessibleName(QStringLiteral("About start-up reports"));
    sCheckBox8 = new QCheckBox(QStringLiteral("Minimize to tray instead of minimizing"), sPanel1);
    sCheckBox13 = new QCheckBox(QStringLiteral("Show trayicon allways"), sPanel1);
    sCheckBox14 = new QCheckBox(QStringLiteral("Notification when playing new song "), sPanel1);
    sCheckBox14->setEnabled(false);
    sBitBtn3 = new QPushButton(QStringLiteral("Reset settings to defaults"), sPanel1);
    sBitBtn3->setAutoDefault(false);

    auto* grid = new QGridLayout(sPanel1);
    grid->addWidget(sCheckBox11, 0, 0, 1, 3);
    grid->addWidget(sCheckBox12, 1, 0, 1, 2);
    grid->addWidget(sBitBtn4, 1, 2, Qt::AlignLeft);
    grid->addWidget(sCheckBox8, 2, 0, 1, 3);
    grid->addWidget(sCheckBox13, 3, 1, 1, 2);
    grid->addWidget(sCheckBox14, 4, 0, 1, 3);
    grid->setColumnMinimumWidth(0, 16);
    grid->setRowStretch(5, 1);
    grid->addWidget(sBitBtn3, 6, 1, 1, 2, Qt::AlignRight);

    connect(sBitBtn4, &QToolButton::clicked, this, &Form11::sBitBtn4Click);
    connect(sBitBtn3, &QPushButton::clicked, this, &Form11::sBitBtn3Click);
}

void Form11::buildHotkeys() {
    sCheckBox7 = new QCheckBox(QStringLiteral("Use Hotkeys"), Hotkeys1);
    auto* grid = new QGridLayout(Hotkeys1);
    grid->addWidget(sCheckBox7, 0, 0, 1, 2);
    int row = 1;
    const auto addRow = [&](Control<QCheckBox>& box, Control<HotkeyField>& field,
                            const QString& caption) {
        box = new QCheckBox(caption, Hotkeys1);
        field = new HotkeyField(Hotkeys1);
        field->setAccessibleName(caption);
        for (QLineEdit* keys : field->findChildren<QLineEdit*>())
            keys->setAccessibleName(caption);
        field->setMinimumWidth(140);
        grid->addWidget(box, row, 0);
        grid->addWidget(field, row, 1);
        ++row;
    };
    addRow(sCheckBox1, HotKey1, kHotkeyCaptions[0]);
    addRow(sCheckBox2, HotKey2, kHotkeyCaptions[1]);
    addRow(sCheckBox4, HotKey4, kHotkeyCaptions[2]);
    addRow(sCheckBox5, HotKey5, kHotkeyCaptions[3]);
    hotkeyNote = new QLabel(Hotkeys1);
    hotkeyNote->setWordWrap(true);
    hotkeyNote->hide();
    grid->addWidget(hotkeyNote, row++, 0, 1, 2);
    grid->setRowStretch(row, 1);

    connect(sCheckBox7, &QCheckBox::clicked, this, &Form11::sCheckBox7Click);
}

void Form11::buildAppearance() {
    sCheckBox3 = new QCheckBox(QStringLiteral("Use Skins"), Panel1);
    Label1 = new QLabel(QStringLiteral("Skin:"), Panel1);
    ComboBox1 = new QComboBox(Panel1);
    ComboBox1->setEditable(true);
    ComboBox1->setInsertPolicy(QComboBox::NoInsert);
    ComboBox1->setCompleter(nullptr);
    ComboBox1->setMinimumWidth(160);
    accessibility::caption(Label1, ComboBox1);
    GroupBox1 = new QGroupBox(QStringLiteral("Advanced"), Panel1);
    sCheckBox10 = new QCheckBox(QStringLiteral("Extended borders"), GroupBox1);
    sCheckBox6 = new QCheckBox(QStringLiteral("Glowing"), GroupBox1);
    sCheckBox9 = new QCheckBox(QStringLiteral("Hue offset:"), GroupBox1);
    sScrollBar1 = new QScrollBar(Qt::Horizontal, GroupBox1);
    sScrollBar1->setRange(0, 360);
    sScrollBar1->setMinimumWidth(150);
    sScrollBar1->setAccessibleName(QStringLiteral("Hue offset"));
    sScrollBar1->installEventFilter(this);
    Label2 = new QLabel(QStringLiteral("0"), GroupBox1);
    Label2->setMinimumWidth(24);

    auto* advanced = new QGridLayout(GroupBox1);
    advanced->addWidget(sCheckBox10, 0, 0, 1, 3);
    advanced->addWidget(sCheckBox6, 1, 0, 1, 3);
    advanced->addWidget(sCheckBox9, 2, 0);
    advanced->addWidget(sScrollBar1, 2, 1);
    advanced->addWidget(Label2, 2, 2);
    auto* grid = new QGridLayout(Panel1);
    grid->addWidget(sCheckBox3, 0, 0, 1, 2);
    grid->addWidget(Label1, 1, 0);
    grid->addWidget(ComboBox1, 1, 1);
    grid->addWidget(GroupBox1, 2, 0, 1, 2);
    grid->setRowStretch(3, 1);

    connect(sCheckBox3, &QCheckBox::clicked, this, &Form11::sCheckBox3Click);
    connect(sCheckBox10, &QCheckBox::clicked, this, &Form11::sCheckBox10Click);
    connect(sCheckBox6, &QCheckBox::clicked, this, &Form11::sCheckBox6Click);
    connect(sCheckBox9, &QCheckBox::clicked, this, &Form11::sCheckBox9Click);
    connect(ComboBox1, &QComboBox::textActivated, this, &Form11::ComboBox1Change);
    connect(ComboBox1->lineEdit(), &QLineEdit::textEdited, this, &Form11::ComboBox1Change);
}

void Form11::showPage(QWidget* page) {
    auto* pages = static_cast<QStackedWidget*>(page->parentWidget());
    pages->setCurrentWidget(page);
    sButton1->setChecked(page == sPanel1);
    sButton2->setChecked(page == Hotkeys1);
    sButton3->setChecked(page == Panel1);
}

void Form11::sButton1Click() {
    showPage(sPanel1);
}

void Form11::sButton2Click() {
    showPage(Hotkeys1);
}

void Form11::sButton3Click() {
    showPage(Panel1);
}

// ---- Loading ----

void Form11::load(QCheckBox* box, bool checked, void (Form11::*clickAction)()) {
    if (box->isChecked() == checked)
        return;
    box->setChecked(checked);
    if (clickAction)
        (this->*clickAction)();
}

void Form11::loadHotkeys(const IniFile& ini) {
    const auto key = [&](const settings::Text& k) {
        return HotkeyField::kept(shortcut::fromText(settings::read(ini, k)));
    };
    using namespace settings;
    const HotkeyPage page{read(ini, kHotkeysEnabled),
                          {read(ini, kPlayKeyEnabled), read(ini, kNextKeyEnabled),
                           read(ini, kPreviousKeyEnabled), read(ini, kMinimizeKeyEnabled)},
                          {key(kPlayKey), key(kNextKey), key(kPreviousKey), key(kMinimizeKey)}};
    if (built())
        showHotkeys(page);
    else
        hotkeys_ = page;
    form1_.Button13Click();
    updateHotkeyNote();
}

void Form11::showHotkeys(const HotkeyPage& page) {
    HotKey1->setValue(page.values[0]);
    HotKey2->setValue(page.values[1]);
    HotKey4->setValue(page.values[2]);
    HotKey5->setValue(page.values[3]);
    load(sCheckBox7, page.use, &Form11::sCheckBox7Click);
    load(sCheckBox1, page.ticked[0], nullptr);
    load(sCheckBox2, page.ticked[1], nullptr);
    load(sCheckBox4, page.ticked[2], nullptr);
    load(sCheckBox5, page.ticked[3], nullptr);
    sCheckBox7Click(); // the rows follow "Use Hotkeys" whether or not it changed
}

Form11::HotkeyRow Form11::hotkeyRow(int row) const {
    if (!built())
        return {hotkeys_.ticked.at(row), hotkeys_.values.at(row)};
    const std::array<std::pair<QCheckBox*, HotkeyField*>, kHotkeyRows> rows{
        {{sCheckBox1, HotKey1},
         {sCheckBox2, HotKey2},
         {sCheckBox4, HotKey4},
         {sCheckBox5, HotKey5}}};
    const auto [box, field] = rows.at(row);
    return {box->isChecked(), field->value()};
}

void Form11::updateHotkeyNote() {
    if (!built())
        return; // made with the controls
    const QString alternative = QStringLiteral(
        " Its own keyboard settings can drive the player through its media controls (MPRIS).");
    QString note;
    switch (form1_.hotkeys ? form1_.hotkeys->status() : HotkeyRoute::Status::Unavailable) {
    case HotkeyRoute::Status::Unavailable:
        note = QStringLiteral("This desktop offers no global hotkeys.") + alternative;
        break;
    case HotkeyRoute::Status::Refused:
        note = QStringLiteral("The desktop did not grant the global hotkeys.") + alternative;
        break;
    case HotkeyRoute::Status::Working:
    case HotkeyRoute::Status::Waiting:
        break;
    }
    hotkeyNote->setText(note);
    hotkeyNote->setVisible(!note.isEmpty());
}

void Form11::FormCreate() {
    guarded([&] { loadHotkeys(IniFile::settings()); });
}

void Form11::FormShow() {
    guarded([&] {
        const IniFile ini = IniFile::settings();
        loadHotkeys(ini);

        load(sCheckBox12, settings::read(ini, settings::kReportStarts), nullptr);
        load(sCheckBox11, settings::read(ini, settings::kCheckForUpdates), nullptr);
        load(sCheckBox8, settings::read(ini, settings::kMinimizeToTray), nullptr);
        load(sCheckBox13, settings::read(ini, settings::kShowTrayIcon), nullptr);
        load(sCheckBox3, settings::read(ini, settings::kSkinEnabled), &Form11::sCheckBox3Click);

        const QString name = settings::read(ini, settings::kSkinName);
        ComboBox1->clear();
        ComboBox1->addItems(SkinEngine::listSkins(paths::exeFile(QStringLiteral("skins"))));
        ComboBox1->setEditText(name);

        load(sCheckBox10, settings::read(ini, settings::kExtendedBorders),
             &Form11::sCheckBox10Click);
        load(sCheckBox6, settings::read(ini, settings::kGlowing), &Form11::sCheckBox6Click);
        load(sCheckBox9, settings::read(ini, settings::kHueEnabled), &Form11::sCheckBox9Click);
        sScrollBar1->setValue(std::clamp(settings::read(ini, settings::kHue), 0, 360));
        Label2->setNum(sScrollBar1->value());
    });
}

void Form11::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

// ---- Click actions ----

void Form11::sCheckBox7Click() {
    const bool on = sCheckBox7->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{sCheckBox1, HotKey1, sCheckBox2, HotKey2,
                                                      sCheckBox4, HotKey4, sCheckBox5, HotKey5})
        w->setEnabled(on);
}

void Form11::sCheckBox3Click() {
    form1_.sSkinManager1->setActive(sCheckBox3->isChecked());
}

void Form11::sCheckBox10Click() {
    form1_.sSkinManager1->setExtendedBorders(sCheckBox10->isChecked());
}

void Form11::sCheckBox6Click() {
    form1_.sSkinManager1->setAllowGlowing(sCheckBox6->isChecked());
}

void Form11::sCheckBox9Click() {
    form1_.sSkinManager1->setHueOffset(sCheckBox9->isChecked() ? sScrollBar1->value() : 0);
}

void Form11::sScrollBar1MouseUp() {
    if (!sCheckBox9->isChecked())
        return;
    Label2->setNum(sScrollBar1->value());
    form1_.sSkinManager1->setHueOffset(sScrollBar1->value());
}

bool Form11::eventFilter(QObject* watched, QEvent* event) {
    const bool release = watched == sScrollBar1 && event->type() == QEvent::MouseButtonRelease;
    const bool handled = QDialog::eventFilter(watched, event);
    if (release) {
        // The bar takes its new position from the release first.
        sScrollBar1->event(event);
        sScrollBar1MouseUp();
        return true;
    }
    return handled;
}

void Form11::sBitBtn4Click() {
    messages::information(QStringLiteral(
        "This function counts completely anonymous your program starts. Please dont deactivate "
        "this function, because Im using this information and in case I think there are only a "
        "few people using the QV radioplayer Ill stop working on it."));
}

// ---- Apply, OK, Cancel, Reset ----

void Form11::sBitBtn1Click() {
    guarded([&] {
        IniFile ini = IniFile::settings();
        using namespace settings;
        write(ini, kPlayKey, shortcut::toText(HotKey1->value()));
        write(ini, kNextKey, shortcut::toText(HotKey2->value()));
        write(ini, kPreviousKey, shortcut::toText(HotKey4->value()));
        write(ini, kMinimizeKey, shortcut::toText(HotKey5->value()));
        write(ini, kHotkeysEnabled, sCheckBox7->isChecked());
        write(ini, kPlayKeyEnabled, sCheckBox1->isChecked());
        write(ini, kNextKeyEnabled, sCheckBox2->isChecked());
        write(ini, kPreviousKeyEnabled, sCheckBox4->isChecked());
        write(ini, kMinimizeKeyEnabled, sCheckBox5->isChecked());

        form1_.Button13Click();

        write(ini, kSkinEnabled, sCheckBox3->isChecked());
        write(ini, kSkinName, ComboBox1->currentText());
        write(ini, kExtendedBorders, sCheckBox10->isChecked());
        write(ini, kGlowing, sCheckBox6->isChecked());
        write(ini, kHueEnabled, sCheckBox9->isChecked());
        write(ini, kHue, sScrollBar1->value());

        write(ini, kCheckForUpdates, sCheckBox11->isChecked());
        write(ini, kReportStarts, sCheckBox12->isChecked());
        write(ini, kMinimizeToTray, sCheckBox8->isChecked());
        write(ini, kShowTrayIcon, sCheckBox13->isChecked());

        SkinEngine& skins = *form1_.sSkinManager1;
        {
            const SkinEngine::Hold restyleOnce(skins);
            if (sCheckBox3->isChecked()) {
                skins.setSkinDirectory(QStringLiteral("./skins"));
                skins.setSkinName(ComboBox1->currentText());
                skins.setActive(true);
            } else {
                skins.setActive(false);
            }
        }

        form1_.applyTray(read(ini, kShowTrayIcon), read(ini, kMinimizeToTray));
    });
}

void Form11::sButton4Click() {
    close();
    form1_.setEnabled(true);
    form1_.show();
    sBitBtn1Click();
}

void Form11::sBitBtn2Click() {
    close();
}

void Form11::sBitBtn3Click() {
    if (!messages::question(QStringLiteral(
            "Are you shure to reset all your Settings? This wont delete your Playlists")))
        return;
    guarded([&] {
        IniFile::settings().erase();
        close();
        show(); // the opening sequence, now with every key missing
        form1_.sSkinManager1->setSkinName(ComboBox1->currentText());
    });
}

} // namespace qv
