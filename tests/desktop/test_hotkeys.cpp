// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakemediaplayer.h"
#include "form1.h"
#include "globalhotkeys.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "testxvfb.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLoggingCategory>
#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace qv;
namespace sc = qv::shortcut;

namespace {

constexpr sc::Value kCtrlAltP = sc::kCtrl | sc::kAlt | 0x50;
constexpr sc::Value kCtrlAltQ = sc::kCtrl | sc::kAlt | 0x51;
constexpr std::uint16_t kCtrlAltMask = XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;
// Xvfb's keyboard map puts NumLock on Mod2.
constexpr std::uint16_t kLockVariants[] = {0, XCB_MOD_MASK_2, XCB_MOD_MASK_LOCK,
                                           XCB_MOD_MASK_2 | XCB_MOD_MASK_LOCK};

std::atomic<int> xErrors = 0;
QtMessageHandler testLogHandler = nullptr;

// Qt reports the X errors on its connection at debug level, among other
// debug lines that are noise here.
void countXErrors(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    const bool xError = message.contains(QLatin1StringView("XCB error"));
    xErrors += xError ? 1 : 0;
    if (xError || type != QtDebugMsg || qstrcmp(context.category, "qt.qpa.xcb") != 0)
        testLogHandler(type, context, message);
}

// Presses keys as the keyboard would, through XTest.
bool press(const QString& keys, const char* action = "key") {
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), {QString::fromLatin1(action), keys});
    return xdotool.waitForFinished(5000) && xdotool.exitCode() == 0;
}

} // namespace

// Grabs under a real X server. Another client's window holds the focus, as
// when the user works in another program.
class TestHotkeys : public QObject {
    Q_OBJECT

    xcb_connection_t* peer_ = nullptr;
    xcb_window_t root_ = 0;
    xcb_window_t window_ = 0;
    xcb_keycode_t keyP_ = 0;
    xcb_keycode_t keyQ_ = 0;

    bool peerGrab(xcb_keycode_t key, std::uint16_t mask) {
        const auto cookie = xcb_grab_key_checked(peer_, 0, root_, mask, key, XCB_GRAB_MODE_ASYNC,
                                                 XCB_GRAB_MODE_ASYNC);
        xcb_generic_error_t* error = xcb_request_check(peer_, cookie);
        std::free(error);
        return !error;
    }
    void peerUngrab(xcb_keycode_t key, std::uint16_t mask) {
        std::free(xcb_request_check(peer_, xcb_ungrab_key_checked(peer_, key, root_, mask)));
    }
    // True when no client but the peer holds any variant of Ctrl+Alt+key.
    bool peerCanGrabAll(xcb_keycode_t key) {
        bool all = true;
        for (const std::uint16_t locks : kLockVariants)
            all = peerGrab(key, kCtrlAltMask | locks) && all;
        for (const std::uint16_t locks : kLockVariants)
            peerUngrab(key, kCtrlAltMask | locks);
        return all;
    }
    // Requests on two connections meet the server in no fixed order: this
    // lets the server finish all Qt's connection sent so far.
    static void syncQt() {
        auto* qt = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
        std::free(xcb_get_input_focus_reply(qt, xcb_get_input_focus(qt), nullptr));
    }

private slots:
    void initTestCase() {
        if (!QGuiApplication::platformName().startsWith(QLatin1StringView("xcb")))
            QSKIP("Xvfb is not installed");
        peer_ = xcb_connect(nullptr, nullptr);
        QVERIFY(!xcb_connection_has_error(peer_));
        const xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(peer_)).data;
        root_ = screen->root;
        window_ = xcb_generate_id(peer_);
        xcb_create_window(peer_, XCB_COPY_FROM_PARENT, window_, root_, 0, 0, 100, 100, 0,
                          XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_map_window(peer_, window_);
        xcb_generic_error_t* error = xcb_request_check(
            peer_, xcb_set_input_focus_checked(peer_, XCB_INPUT_FOCUS_POINTER_ROOT, window_,
                                               XCB_CURRENT_TIME));
        std::free(error);
        QVERIFY(!error);

        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(peer_);
        for (auto [keysym, keycode] : {std::pair{XK_p, &keyP_}, std::pair{XK_q, &keyQ_}}) {
            xcb_keycode_t* codes = xcb_key_symbols_get_keycode(symbols, keysym);
            *keycode = codes ? codes[0] : 0;
            std::free(codes);
        }
        xcb_key_symbols_free(symbols);
        QVERIFY(keyP_ && keyQ_);

        QLoggingCategory::setFilterRules(QStringLiteral("qt.qpa.xcb.debug=true"));
        testLogHandler = qInstallMessageHandler(countXErrors);
    }
    void cleanupTestCase() {
        qInstallMessageHandler(testLogHandler);
        if (peer_)
            xcb_disconnect(peer_);
    }
    // No X error may reach Qt's connection.
    void cleanup() { QCOMPARE(xErrors.exchange(0), 0); }

    void pressWhileAnotherWindowHasFocus_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("keys");
        QTest::newRow("Ctrl+Alt+P") << int{kCtrlAltP} << "ctrl+alt+p";
        QTest::newRow("Shift+F5") << (sc::kShift | 0x74) << "shift+F5";
        QTest::newRow("F9 alone") << 0x78 << "F9";
    }
    void pressWhileAnotherWindowHasFocus() {
        QFETCH(int, value);
        QFETCH(QString, keys);
        GlobalHotkeys hotkeys;
        QVERIFY(hotkeys.available());
        QSignalSpy spy(&hotkeys, &GlobalHotkeys::hotkeyPressed);
        QVERIFY(hotkeys.registerHotkey(1, static_cast<sc::Value>(value)));
        QVERIFY(press(keys));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy[0][0].toInt(), value);
    }

    void lockKeysDoNotMatter_data() {
        QTest::addColumn<QString>("lockKey");
        QTest::addColumn<int>("lockMask");
        QTest::newRow("NumLock") << "Num_Lock" << int{XCB_MOD_MASK_2};
        QTest::newRow("CapsLock") << "Caps_Lock" << int{XCB_MOD_MASK_LOCK};
    }
    void lockKeysDoNotMatter() {
        QFETCH(QString, lockKey);
        QFETCH(int, lockMask);
        GlobalHotkeys hotkeys;
        QSignalSpy spy(&hotkeys, &GlobalHotkeys::hotkeyPressed);
        QVERIFY(hotkeys.registerHotkey(1, kCtrlAltP));
        QVERIFY(press(lockKey));
        const auto unlock = qScopeGuard([&] { press(lockKey); });
        std::unique_ptr<xcb_query_pointer_reply_t, decltype(&std::free)> pointer(
            xcb_query_pointer_reply(peer_, xcb_query_pointer(peer_, root_), nullptr), &std::free);
        QVERIFY(pointer && (pointer->mask & lockMask));
        QVERIFY(press(QStringLiteral("ctrl+alt+p")));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy[0][0].toInt(), int{kCtrlAltP});
    }

    void heldCombinationActsOnce() {
        GlobalHotkeys hotkeys;
        QSignalSpy spy(&hotkeys, &GlobalHotkeys::hotkeyPressed);
        QVERIFY(hotkeys.registerHotkey(1, kCtrlAltP));
        QVERIFY(press(QStringLiteral("ctrl+alt+p"), "keydown"));
        QTest::qWait(1200); // past the auto-repeat delay
        QVERIFY(press(QStringLiteral("ctrl+alt+p"), "keyup"));
        QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 5000);
        QVERIFY(press(QStringLiteral("ctrl+alt+p")));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 2);
    }

    void sharedCombinationFiresOnceAndLivesOnWithEitherId() {
        GlobalHotkeys hotkeys;
        QSignalSpy spy(&hotkeys, &GlobalHotkeys::hotkeyPressed);
        QVERIFY(hotkeys.registerHotkey(1, kCtrlAltP));
        QVERIFY(hotkeys.registerHotkey(2, kCtrlAltP));
        QVERIFY(press(QStringLiteral("ctrl+alt+p")));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 1);

        hotkeys.unregisterHotkey(1);
        hotkeys.unregisterHotkey(99);
        QVERIFY(press(QStringLiteral("ctrl+alt+p")));
        QVERIFY(spy.wait(5000));
        QCOMPARE(spy.count(), 2);

        // The last one out releases the keys.
        hotkeys.unregisterHotkey(2);
        syncQt();
        QVERIFY(peerCanGrabAll(keyP_));
    }

    void combinationHeldByAnotherClient_data() {
        QTest::addColumn<int>("locks");
        QTest::newRow("plain") << 0;
        QTest::newRow("NumLock variant") << int{XCB_MOD_MASK_2};
        QTest::newRow("CapsLock variant") << int{XCB_MOD_MASK_LOCK};
    }
    void combinationHeldByAnotherClient() {
        QFETCH(int, locks);
        const auto mask = static_cast<std::uint16_t>(kCtrlAltMask | locks);
        QVERIFY(peerGrab(keyP_, mask));
        GlobalHotkeys hotkeys;
        QVERIFY(hotkeys.registerHotkey(1, kCtrlAltQ));
        QVERIFY(!hotkeys.registerHotkey(1, kCtrlAltP));
        // Any error would have reached Qt by now (cleanup() counts them).
        syncQt();
        QTest::qWait(100);
        peerUngrab(keyP_, mask);
        // Nothing of the failed claim is left behind, and the identifier's
        // earlier claim is withdrawn all the same.
        QVERIFY(peerCanGrabAll(keyP_));
        QVERIFY(peerCanGrabAll(keyQ_));
    }

    void grabsAreWithdrawnOnReclaimAndDestruction() {
        {
            GlobalHotkeys hotkeys;
            QVERIFY(hotkeys.registerHotkey(1, kCtrlAltP));
            QVERIFY(!peerCanGrabAll(keyP_));
            QVERIFY(hotkeys.registerHotkey(1, kCtrlAltQ));
            QVERIFY(peerCanGrabAll(keyP_));
            QVERIFY(!peerCanGrabAll(keyQ_));
        }
        syncQt();
        QVERIFY(peerCanGrabAll(keyQ_));
    }

    // The whole way: the settings name the hotkey, the start-up registers it,
    // and the press reaches the player's Pause while another window has the
    // focus; the settings window, never shown, makes no controls for it.
    void playerPausesOnItsHotkey() {
        TestInstall install;
        install.writeSettings(
            {"[General]", "Reportstarts=0", "[Hotkeys]", "Play=Ctrl+Alt+P", "Play_enabled=1"});
        MessageRecorder messages;
        const auto form1 = startProgram(std::make_unique<FakeMediaPlayer>(), qv::UpdateCheck::Skip);
        const Form11& settings = *form1->windows.form11;
        syncQt();
        QVERIFY(!peerCanGrabAll(keyP_)); // the player holds the combination
        std::free(xcb_request_check(peer_,
                                    xcb_set_input_focus_checked(peer_, XCB_INPUT_FOCUS_POINTER_ROOT,
                                                                window_, XCB_CURRENT_TIME)));
        syncQt();
        QVERIFY(press(QStringLiteral("ctrl+alt+p")));
        // Nothing has been played yet, so Pause says so.
        QTRY_COMPARE_WITH_TIMEOUT(messages.texts(), QStringList({"Please play a song first"}),
                                  5000);
        QVERIFY(!settings.built());
        QVERIFY(settings.findChildren<QWidget*>().isEmpty());
    }

    void unusableValuesFail() {
        GlobalHotkeys hotkeys;
        QVERIFY(!hotkeys.registerHotkey(1, 0));
        QVERIFY(!hotkeys.registerHotkey(1, sc::kCtrl));          // no key
        QVERIFY(!hotkeys.registerHotkey(1, sc::kCtrl | 0x0007)); // a code without a key
    }
};

// Away from X11 nothing is grabbed and nothing breaks.
class TestHotkeysOffscreen : public QObject {
    Q_OBJECT
private slots:
    void registrationFails() {
        GlobalHotkeys hotkeys;
        QVERIFY(!hotkeys.available());
        QVERIFY(!hotkeys.registerHotkey(1, kCtrlAltP));
        hotkeys.unregisterHotkey(1);
    }
};

// "--offscreen": the fallback away from X11; otherwise the grabs under a
// private Xvfb.
int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--offscreen") {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        int one = 1;
        QApplication app(one, argv);
        TestHotkeysOffscreen test;
        return QTest::qExec(&test);
    }
    std::optional<TestXvfb> xvfb;
    startXvfbOrOffscreen(xvfb);
    QApplication app(argc, argv);
    TestHotkeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hotkeys.moc"
