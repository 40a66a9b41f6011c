// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakemediaplayer.h"
#include "form1.h"
#include "globalhotkeys.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "skinengine.h"
#include "testinstall.h"
#include "testprogram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSystemTrayIcon>
#include <QTest>

using qv::Form1;
using qv::Form11;

namespace {

// Records what the main window claims instead of claiming it.
class RecordingHotkeys : public qv::GlobalHotkeys {
public:
    using GlobalHotkeys::GlobalHotkeys;
    bool registerHotkey(int id, qv::shortcut::Value value) override {
        calls << QStringLiteral("+%1:%2").arg(id).arg(value);
        return true;
    }
    void unregisterHotkey(int id) override { calls << QStringLiteral("-%1").arg(id); }
    QStringList calls;
};

constexpr qv::shortcut::Value kCtrlAltP = 0x4000 | 0x8000 | 0x50;

} // namespace

class TestSettingsWindow : public ProgramTest {
    Q_OBJECT

private:
    RecordingHotkeys* hotkeys_ = nullptr;

    Form11& settings() { return *form1_->windows.form11; }
    QByteArray settingsFile() const { return readAll(install_->path("settings.ini")); }
    int id(Form1::HotkeySlot slot) const { return form1_->hotkeyIds[slot]; }
    void click(QAbstractButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

    // The program started on the settings given, hotkeys recorded from the start.
    void start(const QStringList& settingsLines = {}) {
        if (!settingsLines.isEmpty())
            install_->writeSettings(settingsLines);
        form1_ = qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
        hotkeys_ = new RecordingHotkeys(form1_.get());
        form1_->hotkeys = hotkeys_;
        form1_->windows.form11->FormCreate(); // as at start, now recorded
    }

private slots:
    void init() {
        install_ = std::make_unique<TestInstall>();
        messages_ = std::make_unique<qv::MessageRecorder>();
    }

    void cleanup() { endProgram(); }

    void applyWritesEverythingInOrder() {
        start();
        QFile::remove(install_->path("settings.ini"));
        form1_->sBitBtn15Click();
        QVERIFY(!form1_->isEnabled());
        QVERIFY(settings().sCheckBox12->isChecked()); // defaults with no file
        QCOMPARE(settings().ComboBox1->currentText(), "WMP 2008");
        QVERIFY(!settings().HotKey1->isEnabled());

        click(settings().sCheckBox7);
        QVERIFY(settings().HotKey1->isEnabled());
        click(settings().sCheckBox1);
        QTest::keyClick(settings().HotKey1, Qt::Key_P, Qt::ControlModifier | Qt::AltModifier);
        QTest::keyClick(settings().HotKey1, Qt::Key_Q); // no modifier: not a hotkey
        QCOMPARE(settings().HotKey1->value(), kCtrlAltP);
        click(settings().sCheckBox9); // hue off
        click(settings().sBitBtn1);
        QCOMPARE(settingsFile(),
                 "[Hotkeys]\r\nPlay=Ctrl+Alt+P\r\nNext=\r\nPrevious=\r\nMinimize=\r\n"
                 "General_enabled=1\r\nPlay_enabled=1\r\nNext_enabled=0\r\n"
                 "Previous_enabled=0\r\nMinimize_enabled=0\r\n"
                 "[Skin]\r\nEnabled=1\r\nName=WMP 2008\r\nEXTBorders=1\r\n"
                 "Glowing=1\r\nHUE_enabled=0\r\nHUE=0\r\n"
                 "[General]\r\nCeckforupdates=1\r\nReportstarts=1\r\n"
                 "MinimizeToTray=1\r\nShowTrayicon=1\r\n");
        QVERIFY(settings().isVisible()); // Apply keeps the window open
        QVERIFY(hotkeys_->calls.contains(
            QStringLiteral("+%1:%2").arg(id(Form1::PlayPauseKey)).arg(kCtrlAltP)));
        click(settings().sBitBtn2); // Cancel
        QVERIFY(form1_->isEnabled());

        // A write that fails ends Apply there: nothing is registered after it.
        QFile::remove(install_->path("settings.ini"));
        QDir(install_->path({})).mkdir("settings.ini");
        hotkeys_->calls.clear();
        settings().sBitBtn1Click();
        QCOMPARE(messages_->records.size(), 1);
        QVERIFY(messages_->records[0].text.startsWith("Unable to write to "));
        QVERIFY(hotkeys_->calls.isEmpty());
    }

    // Boxes set from the file act only when their state changes.
    void loadingRuleAndReset() {
        start({"[Skin]", "Glowing=1", "HUE_enabled=1", "HUE=400", "[General]", "ShowTrayicon=0"});
        qv::SkinEngine& skin = *form1_->sSkinManager1;
        form1_->Settings1Click();
        QCOMPARE(settings().sScrollBar1->value(), 360); // limited on the way in
        QCOMPARE(settings().Label2->text(), "360");
        click(settings().sCheckBox6);
        QVERIFY(!skin.AllowGlowing());
        click(settings().sBitBtn2); // Cancel keeps the live change
        QVERIFY(!skin.AllowGlowing());
        form1_->Settings1Click();
        QVERIFY(skin.AllowGlowing()); // the saved value comes back
        QVERIFY(form1_->isEnabled()); // opened from the menu
        QVERIFY(!settings().sCheckBox13->isChecked());
        QVERIFY(form1_->ShowTrayiconAlways == false); // read at start, not changed by the menu

        // The hue box runs before the bar is read: it takes the bar's earlier position.
        click(settings().sCheckBox9);
        QCOMPARE(skin.HueOffset(), 0);
        settings().sScrollBar1->setValue(90);
        click(settings().sCheckBox9);
        QCOMPARE(skin.HueOffset(), 90);

        settings().sBitBtn4Click();
        QCOMPARE(messages_->records.last().kind, qv::MessageKind::Information);
        QVERIFY(messages_->records.last().text.startsWith("This function counts completely"));

        messages_->answers = {false};
        click(settings().sBitBtn3);
        QVERIFY(QFile::exists(install_->path("settings.ini")));
        messages_->answers = {true};
        click(settings().sBitBtn3);
        QCOMPARE(messages_->records.last().text,
                 "Are you shure to reset all your Settings? This wont delete your Playlists");
        QVERIFY(!QFile::exists(install_->path("settings.ini")));
        QVERIFY(settings().isVisible());
        QVERIFY(settings().sCheckBox13->isChecked());
        QCOMPARE(settings().sScrollBar1->value(), 0);
        QCOMPARE(skin.SkinName(), "WMP 2008");

        // A second opening only brings the window forward: nothing is reloaded.
        settings().sCheckBox13->setChecked(false);
        form1_->sBitBtn15Click();
        QVERIFY(!settings().sCheckBox13->isChecked());
        QVERIFY(!form1_->ShowTrayiconAlways);
        settings().close();
        QVERIFY(form1_->isEnabled());
    }

    void hotkeyRegistrationAndDispatch() {
        start({"[Hotkeys]", "Play=Ctrl+Alt+P", "Next=Ctrl+Alt+P", "Previous=Ctrl+Alt+V",
               "General_enabled=0", "Play_enabled=1", "Next_enabled=1", "Previous_enabled=0"});
        const QString play = QString::number(id(Form1::PlayPauseKey));
        const QString next = QString::number(id(Form1::NextSongKey));
        // Ticked rows only, each withdrawn first; "Use Hotkeys" is not consulted.
        QCOMPARE(hotkeys_->calls, QStringList({"-" + play, "+" + play + ":49232", "-" + next,
                                               "+" + next + ":49232"}));
        // The window has made no controls yet: the rows work from the values
        // read at creation, and a press makes none.
        QVERIFY(!settings().built());
        form1_->WMHotKey(qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+V")));
        // Previous song: a row not ticked still acts.
        QCOMPARE(messages_->texts(), QStringList({"Please select a genre and click search first"}));
        messages_->clear();
        QCOMPARE(form1_->windows.form11->hotkeyRow(Form1::PreviousSongKey).value,
                 qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+V")));
        QVERIFY(!settings().built());
        // Reaching a control makes them all, holding those values.
        QVERIFY(!settings().HotKey1->isEnabled());
        QVERIFY(settings().built());
        QVERIFY(settings().sCheckBox1->isChecked()); // greyed, not cleared
        QCOMPARE(settings().HotKey2->value(), kCtrlAltP);
        QVERIFY(!settings().sCheckBox4->isChecked());
        QCOMPARE(settings().HotKey4->value(), qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+V")));
        QCOMPARE(settings().HotKey5->value(), 0); // missing in the file
        QVERIFY(!settings().sCheckBox7->isChecked());

        // A row cleared and applied stays registered: nothing withdraws it.
        form1_->Settings1Click();
        hotkeys_->calls.clear();
        click(settings().sCheckBox7);
        click(settings().sCheckBox2);
        settings().sBitBtn1Click();
        QCOMPARE(hotkeys_->calls, QStringList({"-" + play, "+" + play + ":49232"}));

        // Both rows holding the combination act, in table order; the field counts as it is now.
        form1_->WMHotKey(qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+P")));
        QCOMPARE(messages_->texts(), QStringList({"Please play a song first",
                                                  "Please select a genre and click search first"}));
        settings().HotKey1->setValue(0);
        messages_->clear();
        form1_->WMHotKey(qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+P")));
        QCOMPARE(messages_->texts(), QStringList({"Please select a genre and click search first"}));
    }

    void trayStates() {
        start({"[General]", "ShowTrayicon=0", "MinimizeToTray=1"});
        form1_->trayHost = [] { return true; };
        QVERIFY(!form1_->CoolTrayIcon1->isVisible());
        form1_->showMinimized();
        QTRY_VERIFY_WITH_TIMEOUT(form1_->isHidden(), 5000);
        QVERIFY(form1_->CoolTrayIcon1->isVisible());
        // Applying "no icon" while the window waits in the tray keeps the icon.
        form1_->applyTray(false, true);
        QVERIFY(form1_->CoolTrayIcon1->isVisible());
        form1_->Showwindow1Click();
        QVERIFY(!form1_->isHidden());
        QVERIFY(!form1_->isMinimized());
        QVERIFY(!form1_->CoolTrayIcon1->isVisible());

        // Without minimising to the tray, or without a tray, minimising is ordinary.
        form1_->applyTray(false, false);
        form1_->showMinimized();
        QCoreApplication::sendPostedEvents(); // what a move into the tray would post
        QVERIFY(!form1_->isHidden());
        form1_->showNormal();
        form1_->applyTray(true, true);
        QVERIFY(form1_->CoolTrayIcon1->isVisible());
        form1_->trayHost = [] { return false; };
        form1_->showMinimized();
        QCoreApplication::sendPostedEvents();
        QVERIFY(!form1_->isHidden());

        // The tray's Play / Pause presses the one of Pause and Resume that is shown.
        form1_->PlayPause1Click();
        QCOMPARE(messages_->texts(), QStringList({"Please play a song first"}));
    }
};

QTEST_MAIN(TestSettingsWindow)
#include "test_settingswindow.moc"
