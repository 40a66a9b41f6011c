// SPDX-License-Identifier: GPL-3.0-or-later
#include "error.h"
#include "inifile.h"
#include "shortcut.h"
#include "x11keys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <xkbcommon/xkbcommon.h>

using namespace qv;
namespace sc = qv::shortcut;

class TestSettings : public QObject {
    Q_OBJECT

private slots:
    void init() {
        dir_.emplace();
        QVERIFY(dir_->isValid());
        path_ = dir_->filePath(QStringLiteral("settings.ini"));
    }

    // --- INI file layout ---

    void firstApplyCreatesSectionsInWriteOrder() {
        IniFile ini(path_);
        ini.writeString("Hotkeys", "Play", sc::toText(49232));
        ini.writeBool("Hotkeys", "Play_enabled", true);
        ini.writeBool("Skin", "Enabled", false);
        ini.writeString("Skin", "Name", "WMP 2008");
        ini.writeInteger("Skin", "HUE", -20);
        ini.writeBool("General", "Ceckforupdates", true);
        QCOMPARE(contents(), QByteArray("[Hotkeys]\r\nPlay=Ctrl+Alt+P\r\nPlay_enabled=1\r\n"
                                        "[Skin]\r\nEnabled=0\r\nName=WMP 2008\r\nHUE=-20\r\n"
                                        "[General]\r\nCeckforupdates=1\r\n"));
        QCOMPARE(ini.readString("Hotkeys", "Play", {}), QString("Ctrl+Alt+P"));
        QCOMPARE(ini.readInteger("Skin", "HUE", 0), -20);
        QCOMPARE(ini.readBool("Skin", "Enabled", true), false);
    }

    void newKeyGoesAfterLastKeyOfItsSection() {
        // Bare LF lines, comments, junk and a last line without a line end.
        setContents("; my settings\n[skin]\nName=X\n\n; hue below\n[General]\r\njunk line\n"
                    "Reportstarts=0");
        IniFile ini(path_);
        ini.writeInteger("Skin", "HUE", 12);
        ini.writeBool("General", "MinimizeToTray", true);
        ini.writeString("Favorites", "Loginname", "alice");
        QCOMPARE(contents(), QByteArray("; my settings\n[skin]\nName=X\nHUE=12\r\n\n; hue below\n"
                                        "[General]\r\njunk line\nReportstarts=0\r\n"
                                        "MinimizeToTray=1\r\n[Favorites]\r\nLoginname=alice\r\n"));
        QCOMPARE(ini.readString("skin", "hue", {}), QString("12"));
    }

    void newKeyInSectionWithoutKeys() {
        setContents("[Skin]\r\n[General]\r\nA=1\r\n");
        IniFile(path_).writeBool("Skin", "Glowing", false);
        QCOMPARE(contents(), QByteArray("[Skin]\r\nGlowing=0\r\n[General]\r\nA=1\r\n"));
    }

    void updateKeepsSpellingAndOtherLines() {
        setContents("[SKIN]\r\n  name = Old  \r\n\xff\xfe junk\r\n[Hotkeys]\r\nname=Other\r\n");
        IniFile ini(path_);
        ini.writeString("Skin", "Name", "New");
        QCOMPARE(
            contents(),
            QByteArray("[SKIN]\r\n  name =New\r\n\xff\xfe junk\r\n[Hotkeys]\r\nname=Other\r\n"));
        QCOMPARE(ini.readString("skin", "NAME", {}), QString("New"));
        QCOMPARE(ini.readString("Hotkeys", "Name", {}), QString("Other"));
    }

    void duplicatesFirstWins() {
        setContents("[A]\r\nk=1\r\nK=2\r\n[a]\r\nk=3\r\nz=4\r\n");
        IniFile ini(path_);
        QCOMPARE(ini.readInteger("A", "k", 0), 1);
        QCOMPARE(ini.readInteger("A", "z", 0), 0); // only the first section counts
        ini.writeInteger("a", "K", 5);
        QCOMPARE(contents(), QByteArray("[A]\r\nk=5\r\nK=2\r\n[a]\r\nk=3\r\nz=4\r\n"));
    }

    void lineBreaksInValueAreFlattened() {
        IniFile ini(path_);
        ini.writeString("Favorites", "Loginname", "a\r\nb\nc");
        ini.writeBool("Favorites", "Autologin", true);
        QCOMPARE(contents(), QByteArray("[Favorites]\r\nLoginname=a b c\r\nAutologin=1\r\n"));
    }

    void utf8RoundTrip() {
        IniFile ini(path_);
        ini.writeString("Skin", "Name", QString::fromUtf8("Zürich \xF0\x9F\x8E\xB5"));
        QCOMPARE(ini.readString("Skin", "Name", {}), QString::fromUtf8("Zürich \xF0\x9F\x8E\xB5"));
    }

    // --- INI readers ---

    void readInteger_data() {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("expected");
        QTest::newRow("decimal") << QByteArray("360") << 360;
        QTest::newRow("negative") << QByteArray("-5") << -5;
        QTest::newRow("blanks") << QByteArray(" \t42\t ") << 42;
        QTest::newRow("hex") << QByteArray("0x1F") << 31;
        QTest::newRow("hex upper") << QByteArray("0XfF") << 255;
        QTest::newRow("0x alone") << QByteArray("0x") << -7;
        QTest::newRow("bad hex") << QByteArray("0xZZ") << -7;
        QTest::newRow("yes") << QByteArray("yes") << -7;
        QTest::newRow("trailing junk") << QByteArray("12abc") << -7;
        QTest::newRow("plus") << QByteArray("+3") << -7;
        QTest::newRow("lone minus") << QByteArray("-") << -7;
        QTest::newRow("overflow") << QByteArray("2147483648") << -7;
        QTest::newRow("int max") << QByteArray("2147483647") << 2147483647;
        QTest::newRow("int min") << QByteArray("-2147483648") << int(0x80000000);
        QTest::newRow("hex int max") << QByteArray("0x7fffffff") << 2147483647;
        QTest::newRow("hex overflow") << QByteArray("0x80000000") << -7;
        QTest::newRow("signed hex") << QByteArray("-0x10") << -7;
        QTest::newRow("empty") << QByteArray("") << -7;
        QTest::newRow("quoted") << QByteArray("\"8\"") << 8;
    }
    void readInteger() {
        QFETCH(QByteArray, value);
        QFETCH(int, expected);
        setContents("[General]\r\nKey=" + value + "\r\n");
        QCOMPARE(IniFile(path_).readInteger("General", "Key", -7), expected);
    }

    void readBoolUsesReadersDefault() {
        setContents("[Skin]\r\nEnabled=yes\r\nGlowing=0\r\nHUE_enabled=0x10\r\n");
        IniFile ini(path_);
        QCOMPARE(ini.readBool("Skin", "Enabled", true), true);
        QCOMPARE(ini.readBool("Skin", "Enabled", false), false);
        QCOMPARE(ini.readBool("Skin", "Glowing", true), false);
        QCOMPARE(ini.readBool("Skin", "HUE_enabled", false), true);
    }

    void readStringEdges() {
        setContents(QByteArray("[Favorites]\r\nLoginname=\r\nQuoted=\" a \"\r\nLong=") +
                    QByteArray(3000, 'x') + "\r\n");
        IniFile ini(path_);
        QCOMPARE(ini.readString("Favorites", "Loginname", "dflt"), QString(""));
        QVERIFY(!ini.readString("Favorites", "Loginname", "dflt").isNull());
        QCOMPARE(ini.readInteger("Favorites", "Loginname", 9), 9);
        QCOMPARE(ini.readString("Favorites", "Quoted", {}), QString(" a "));
        QCOMPARE(ini.readString("Favorites", "Long", {}), QString(2047, 'x'));
        QCOMPARE(ini.readString("Favorites", "Missing", "dflt"), QString("dflt"));
        QCOMPARE(ini.readString("Nowhere", "Loginname", "dflt"), QString("dflt"));
    }

    void missingFileGivesDefaults() {
        IniFile ini(path_);
        QCOMPARE(ini.readBool("Skin", "Enabled", true), true);
        QCOMPARE(ini.readInteger("Skin", "HUE", 3), 3);
        QCOMPARE(ini.readString("Skin", "Name", "WMP 2008"), QString("WMP 2008"));
        ini.erase(); // a missing file is fine
        QVERIFY(!QFile::exists(path_));
    }

    void eraseDeletesFile() {
        IniFile ini(path_);
        ini.writeBool("Skin", "Enabled", false);
        ini.erase();
        QVERIFY(!QFile::exists(path_));
        QCOMPARE(ini.readBool("Skin", "Enabled", true), true);
    }

    void invalidUtf8DoesNotCrash() {
        setContents("\xEF\xBB\xBF[Skin]\r\nName=\xC3\x28\xFF\r\n\xF0\x28\x8C=1\r\n");
        IniFile ini(path_);
        QCOMPARE(ini.readString("Skin", "Name", {}).size(), 3);
        ini.writeString("Skin", "Glowing", "1");
        QVERIFY(contents().endsWith("\xF0\x28\x8C=1\r\nGlowing=1\r\n"));
    }

    // --- write failures ---

    void writeFailureReportsAbsolutePath_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing directory") << QStringLiteral("nodir/settings.ini");
        QTest::newRow("path is a directory") << QStringLiteral("adir");
    }
    void writeFailureReportsAbsolutePath() {
        QFETCH(QString, path);
        QVERIFY(QDir(dir_->path()).mkdir("adir"));
        const QString relative = QDir::current().relativeFilePath(dir_->filePath(path));
        IniFile ini(relative);
        try {
            ini.writeBool("Skin", "Enabled", true);
            QFAIL("no error");
        } catch (const Error& e) {
            QCOMPARE(e.text(), "Unable to write to " + dir_->filePath(path));
        }
        QCOMPARE(ini.readBool("Skin", "Enabled", false), false);
        // Nothing left behind: the directory holds only what it held before.
        QCOMPARE(
            QDir(dir_->path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
            QStringList{"adir"});
        QVERIFY(QFileInfo(dir_->filePath("adir")).isDir());
    }

    void readOnlyDirectoryKeepsOldFile() {
        const QByteArray old = "[Skin]\r\nName=Old\r\n";
        setContents(old);
        QVERIFY(
            QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
        const auto restore = qScopeGuard([this] {
            QFile::setPermissions(dir_->path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                    QFileDevice::ExeOwner);
        });
        if (QFile probe(dir_->filePath("probe")); probe.open(QIODevice::WriteOnly))
            QSKIP("running as root: directory permissions don't stop writing");
        IniFile ini(path_);
        QVERIFY_THROWS_EXCEPTION(Error, ini.writeString("Skin", "Name", "New"));
        QCOMPARE(contents(), old);
    }

    // --- shortcut text ---

    void shortcutTableRoundTrips() {
        sc::Value previous = 0;
        for (const sc::Key& key : sc::keys()) {
            QVERIFY(key.code > previous);
            previous = key.code;
            QVERIFY(sc::keysym(key.code) != 0);
            const bool keypadDigit = key.code >= 0x60 && key.code <= 0x69;
            for (int bits = 0; bits < 8; ++bits) { // every set of Shift, Ctrl, Alt
                const auto m = static_cast<sc::Value>(bits << 13);
                const sc::Value value = key.code | m;
                const QString text = sc::toText(value);
                QVERIFY2(!text.isEmpty(), key.name);
                const sc::Value back = keypadDigit ? value - 0x30 : value;
                QCOMPARE(sc::fromText(text), back);
                QCOMPARE(sc::fromText(text.toLower()), back);
                QCOMPARE(sc::fromKeyCombination(sc::toKeyCombination(value)), value);
            }
        }
    }

    void shortcutText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("play default") << "Ctrl+Alt+P" << 49232;
        QTest::newRow("any order and case") << "alt+^p" << 0xC050;
        QTest::newRow("all three") << "Alt+Shift+ctrl+F12" << 0xE07B;
        QTest::newRow("keypad digit") << "Ctrl+5" << 0x4035;
        QTest::newRow("named key") << "Shift+PgDn" << 0x2022;
        QTest::newRow("punctuation") << "Ctrl+\\" << 0x40DC;
        QTest::newRow("caret alone") << "^" << 0;
        QTest::newRow("ctrl alone") << "Ctrl+" << 0;
        QTest::newRow("unknown name") << "Ctrl+Hyper" << 0;
        QTest::newRow("empty") << "" << 0;
        QTest::newRow("blank before name") << "Ctrl+ P" << 0;
    }
    void shortcutText() {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(sc::fromText(text)), value);
    }

    void shortcutWriter() {
        QCOMPARE(sc::toText(49232), QString("Ctrl+Alt+P"));
        QCOMPARE(sc::toText(0x2000 | 0x4000 | 0x8000 | 0x70), QString("Shift+Ctrl+Alt+F1"));
        QCOMPARE(sc::toText(0x4065), QString("Ctrl+5")); // keypad digit as the plain digit
        QCOMPARE(sc::toText(0), QString());
        QCOMPARE(sc::toText(0xC000), QString());        // modifiers without a key
        QCOMPARE(sc::toText(0x4000 | 0x07), QString()); // a key without a name
        QCOMPARE(sc::toText(0x6B), QString("Num +"));
    }

    void keyCombinations() {
        using QKC = QKeyCombination;
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::ControlModifier | Qt::AltModifier, Qt::Key_P)),
                 sc::Value(49232));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::KeypadModifier, Qt::Key_7)), sc::Value(0x67));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::KeypadModifier, Qt::Key_Home)), sc::Value(0x24));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::KeypadModifier, Qt::Key_Enter)), sc::Value(0x0D));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::ShiftModifier, Qt::Key_Exclam)), sc::Value(0x2031));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::ShiftModifier, Qt::Key_Backtab)),
                 sc::Value(0x2009));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::NoModifier, Qt::Key_Exclam)), sc::Value(0));
        QCOMPARE(sc::fromKeyCombination(QKC(Qt::ControlModifier, Qt::Key_CapsLock)), sc::Value(0));
        QCOMPARE(sc::toKeyCombination(0), QKC());
        QCOMPARE(sc::toKeyCombination(0x6A), QKC(Qt::KeypadModifier, Qt::Key_Asterisk));
    }

    void x11Values() {
        QCOMPARE(sc::keysym(0x50), 0x70u);     // XK_p
        QCOMPARE(sc::keysym(0xC065), 0xffb5u); // XK_KP_5
        QCOMPARE(sc::keysym(0x70), 0xffbeu);   // XK_F1
        QCOMPARE(sc::keysym(0x07), 0u);
        QCOMPARE(sc::x11Modifiers(49232), std::uint16_t(4 | 8));
        QCOMPARE(sc::x11Modifiers(0x2050), std::uint16_t(1));
    }

    // The desktop portal's trigger text names keys as XKB does: every name
    // must read back as the key's own keysym.
    void desktopTriggers() {
        for (const sc::Key& key : sc::keys()) {
            const QString trigger = sc::xdgTrigger(key.code);
            QVERIFY2(!trigger.isEmpty(), key.name);
            QCOMPARE(xkb_keysym_from_name(trigger.toLatin1().constData(), XKB_KEYSYM_NO_FLAGS),
                     xkb_keysym_t(sc::keysym(key.code)));
        }
        QCOMPARE(sc::xdgTrigger(49230), QString("CTRL+ALT+n"));
        QCOMPARE(sc::xdgTrigger(0x2000 | 0x4000 | 0x8000 | 0x74), QString("CTRL+ALT+SHIFT+F5"));
        QCOMPARE(sc::xdgTrigger(0x6B), QString("KP_Add"));
        QCOMPARE(sc::xdgTrigger(0x4065), QString("CTRL+KP_5"));
        QCOMPARE(sc::xdgTrigger(0x4021), QString("CTRL+Page_Up"));
        QCOMPARE(sc::xdgTrigger(0x4031), QString("CTRL+1"));
        QCOMPARE(sc::xdgTrigger(0), QString());
        QCOMPARE(sc::xdgTrigger(0xC000), QString());
        QCOMPARE(sc::xdgTrigger(0x4000 | 0x07), QString());
    }

private:
    QByteArray contents(const QString& path = {}) const {
        QFile f(path.isEmpty() ? path_ : path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }
    void setContents(const QByteArray& bytes, const QString& path = {}) {
        QFile f(path.isEmpty() ? path_ : path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        QCOMPARE(f.write(bytes), bytes.size());
    }

    std::optional<QTemporaryDir> dir_;
    QString path_;
};

QTEST_GUILESS_MAIN(TestSettings)
#include "test_settings.moc"
