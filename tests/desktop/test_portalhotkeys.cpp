// SPDX-License-Identifier: GPL-3.0-or-later
// The global hotkeys of a Wayland session, through the real xdg-desktop-portal
// frontend and a stand-in desktop behind it (portal_backend.py), on the
// private session bus the test runs on (dbus-run-session).
#include "fakemediaplayer.h"
#include "form1.h"
#include "hotkeyroute.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "portalhotkeys.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "testprogram.h"

#include <QCheckBox>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using qv::FakeMediaPlayer;
using qv::Form1;
using qv::HotkeyRoute;

namespace {

const QString kBackendName = QStringLiteral("org.freedesktop.impl.portal.desktop.qvtest");
const QString kControl = QStringLiteral("org.qvtest.Backend");

// The real frontend with a stand-in desktop, for as long as it lives.
// Without GlobalShortcuts the desktop's portal file names another interface
// only, and the frontend then offers no shortcuts portal at all.
class PortalDesktop {
public:
    enum class Shortcuts { Offered, Missing };

    explicit PortalDesktop(Shortcuts shortcuts = Shortcuts::Offered) {
        QDir(dir_.path()).mkpath(QStringLiteral("portals"));
        QFile portal(dir_.filePath(QStringLiteral("portals/qvtest.portal")));
        if (!portal.open(QIODevice::WriteOnly))
            return;
        portal.write("[portal]\nDBusName=" + kBackendName.toLatin1() + "\nInterfaces=" +
                     (shortcuts == Shortcuts::Offered
                          ? "org.freedesktop.impl.portal.GlobalShortcuts;"
                          : "org.freedesktop.impl.portal.Inhibit;") +
                     "\nUseIn=qvtest\n");
        portal.close();

        // Debian's own Python, where python3-dbus lives.
        backend_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        backend_.start(QStringLiteral("/usr/bin/python3"),
                       {QStringLiteral(QV_PORTAL_BACKEND), kBackendName});
        if (!backend_.waitForReadyRead(10000) || !backend_.readAll().startsWith("ready"))
            return;

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_DESKTOP_PORTAL_DIR"),
                   dir_.filePath(QStringLiteral("portals")));
        env.insert(QStringLiteral("XDG_CURRENT_DESKTOP"), QStringLiteral("qvtest"));
        frontend_.setProcessEnvironment(env);
        // Debian's 1.16 frontend complains on stderr whenever a session closes.
        frontend_.setStandardOutputFile(QProcess::nullDevice());
        frontend_.setStandardErrorFile(QProcess::nullDevice());
        frontend_.start(QStringLiteral("/usr/libexec/xdg-desktop-portal"), {QStringLiteral("-r")});
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        for (int i = 0;
             i < 100 && !bus->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"));
             ++i)
            QTest::qWait(100);
        ready_ = bus->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"));
    }
    ~PortalDesktop() {
        frontend_.terminate();
        frontend_.waitForFinished(5000);
        backend_.closeWriteChannel(); // the backend ends with its input
        if (!backend_.waitForFinished(5000))
            backend_.kill();
        // The frontend's name must be gone, or the next desktop would find it.
        QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
        for (int i = 0;
             i < 50 && bus->isServiceRegistered(QStringLiteral("org.freedesktop.portal.Desktop"));
             ++i)
            QTest::qWait(100);
    }
    PortalDesktop(const PortalDesktop&) = delete;
    PortalDesktop& operator=(const PortalDesktop&) = delete;

    bool ready() const { return ready_; }

    QDBusMessage control(const QString& method, const QVariantList& arguments = {}) const {
        QDBusMessage call = QDBusMessage::createMethodCall(
            kControl, QStringLiteral("/org/qvtest/Backend"), kControl, method);
        call.setArguments(arguments);
        return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000);
    }
    // What the desktop was asked, oldest first.
    QJsonArray calls(const QString& kind = {}) const {
        const QDBusMessage reply = control(QStringLiteral("Calls"));
        const QJsonArray all =
            QJsonDocument::fromJson(reply.arguments().value(0).toString().toUtf8()).array();
        QJsonArray some;
        for (const QJsonValue& c : all) {
            if (kind.isEmpty() || c[QLatin1String("call")].toString() == kind)
                some.append(c);
        }
        return some;
    }
    // The desktop's trigger pressed; the number of sessions it reached.
    uint press(const QString& id, const QString& token = {}) const {
        return control(QStringLiteral("Press"), {id, token}).arguments().value(0).toUInt();
    }

private:
    QTemporaryDir dir_;
    QProcess backend_;
    QProcess frontend_;
    bool ready_ = false;
};

// A bound set as "id description trigger" lines.
QStringList shortcutLines(const QJsonValue& bind) {
    QStringList lines;
    for (const QJsonValue& s : bind[QLatin1String("shortcuts")].toArray())
        lines << s[QLatin1String("id")].toString() + QLatin1Char('|') +
                     s[QLatin1String("description")].toString() + QLatin1Char('|') +
                     s[QLatin1String("preferred_trigger")].toString();
    return lines;
}

} // namespace

class TestPortalHotkeys : public ProgramTest {
    Q_OBJECT

    std::unique_ptr<PortalDesktop> desktop_; // outlives the player, which closes its session
    FakeMediaPlayer* player_ = nullptr;

    const PortalDesktop&
    startDesktop(PortalDesktop::Shortcuts shortcuts = PortalDesktop::Shortcuts::Offered) {
        desktop_ = std::make_unique<PortalDesktop>(shortcuts);
        return *desktop_;
    }

    void start(const QStringList& settingsLines) {
        install_->writeSettings(settingsLines);
        auto player = std::make_unique<FakeMediaPlayer>();
        player_ = player.get();
        form1_ = qv::startProgram(std::move(player), qv::UpdateCheck::Skip);
    }
    qv::Form11& settings() { return *form1_->windows.form11; }
    int selected() const { return qv::rows::selected(*form1_->ListBox1); }

    static QStringList allFour() {
        return {"[General]",          "Reportstarts=0",    "[Hotkeys]",
                "General_enabled=1",  "Play=Ctrl+Alt+P",   "Play_enabled=1",
                "Next=Ctrl+Alt+N",    "Next_enabled=1",    "Previous=Ctrl+Alt+B",
                "Previous_enabled=1", "Minimize=Shift+F5", "Minimize_enabled=1"};
    }

private slots:
    void initTestCase() {
        QVERIFY2(QDBusConnection::sessionBus().isConnected(), "run under dbus-run-session");
        if (!QFile::exists(QStringLiteral("/usr/libexec/xdg-desktop-portal")))
            QSKIP("xdg-desktop-portal is not installed");
        qputenv("XDG_SESSION_TYPE", "wayland");
    }
    void init() {
        install_ = std::make_unique<TestInstall>();
        messages_ = std::make_unique<qv::MessageRecorder>();
    }
    void cleanup() {
        form1_.reset();
        desktop_.reset();
        endProgram();
    }

    // The ticked rows go to the desktop as one set, named and described as
    // the rows are, with their combinations as the desktop's triggers. The
    // window's every showing registers again, but only a changed set is
    // sent: the desktop may ask the user each time.
    void bindsTheTickedRowsOnceAndAgainAfterApply() {
        const PortalDesktop& desktop = startDesktop();
        QVERIFY(desktop.ready());
        QStringList lines = allFour();
        lines.replaceInStrings("Previous_enabled=1", "Previous_enabled=0");
        start(lines);
        QCOMPARE(form1_->hotkeys->status(), HotkeyRoute::Status::Waiting);

        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 1, 10000);
        QCOMPARE(
            shortcutLines(desktop.calls(QStringLiteral("BindShortcuts"))[0]),
            QStringList({"play-pause|Play / Pause|CTRL+ALT+p", "next-song|Next song|CTRL+ALT+n",
                         "restore-minimize|Restore / minimize|SHIFT+F5"}));
        QCOMPARE(desktop.calls(QStringLiteral("CreateSession")).size(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Working, 5000);
        QVERIFY(desktop.calls(QStringLiteral("ListShortcuts")).size() == 1);

        // Shown and applied unchanged: nothing new for the desktop.
        form1_->Settings1Click();
        QVERIFY(settings().isVisible());
        QVERIFY(settings().hotkeyNote->isHidden());
        settings().sBitBtn1Click();
        // Changed and applied: bound again, the unticked row still left out.
        QTest::keyClick(settings().HotKey2, Qt::Key_M, Qt::ControlModifier | Qt::AltModifier);
        settings().sBitBtn1Click();
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 2, 10000);
        QCOMPARE(
            shortcutLines(desktop.calls(QStringLiteral("BindShortcuts"))[1]),
            QStringList({"play-pause|Play / Pause|CTRL+ALT+p", "next-song|Next song|CTRL+ALT+m",
                         "restore-minimize|Restore / minimize|SHIFT+F5"}));

        // A row cleared and applied stays bound: the set does not change.
        settings().sCheckBox1->click();
        settings().sBitBtn1Click();
        QTest::keyClick(settings().HotKey5, Qt::Key_F6, Qt::ShiftModifier);
        settings().sBitBtn1Click();
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 3, 10000);
        QCOMPARE(
            shortcutLines(desktop.calls(QStringLiteral("BindShortcuts"))[2]),
            QStringList({"play-pause|Play / Pause|CTRL+ALT+p", "next-song|Next song|CTRL+ALT+m",
                         "restore-minimize|Restore / minimize|SHIFT+F6"}));
        QCOMPARE(desktop.calls(QStringLiteral("CreateSession")).size(), 1);
    }

    // A press the desktop reports goes through the hotkey handler as the
    // combination registered under that name: every row whose field holds
    // it acts, in table order, and a field changed but not applied no
    // longer matches.
    void activationPressesTheRowsButtons() {
        const PortalDesktop& desktop = startDesktop();
        QVERIFY(desktop.ready());
        start(allFour());
        for (int i = 0; i < 3; ++i) {
            qv::rows::append(*form1_->ListBox1, QStringLiteral("Song %1").arg(i));
            form1_->ListBox2 << songLink(i + 1);
        }
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Working, 10000);
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 1, 10000);

        // Nothing played yet: Play / Pause presses "Pause", which says so.
        QCOMPARE(desktop.press(QStringLiteral("play-pause")), 1u);
        QTRY_COMPARE_WITH_TIMEOUT(messages_->texts(), QStringList({"Please play a song first"}),
                                  5000);
        QCOMPARE(desktop.press(QStringLiteral("next-song")), 1u);
        QTRY_COMPARE_WITH_TIMEOUT(player_->urls.size(), 1, 5000);
        QCOMPARE(selected(), 0);
        desktop.press(QStringLiteral("next-song"));
        QTRY_COMPARE_WITH_TIMEOUT(selected(), 1, 5000);
        desktop.press(QStringLiteral("previous-song"));
        QTRY_COMPARE_WITH_TIMEOUT(selected(), 0, 5000);
        QCOMPARE(player_->urls.size(), 3);

        // Playing now: "Pause", then "Resume".
        desktop.press(QStringLiteral("play-pause"));
        QTRY_COMPARE_WITH_TIMEOUT(player_->pauseCalls, 1, 5000);
        const int plays = player_->playCalls;
        desktop.press(QStringLiteral("play-pause"));
        QTRY_COMPARE_WITH_TIMEOUT(player_->playCalls, plays + 1, 5000);

        // The desktop's activation token is there while the press is handled.
        QStringList tokens;
        connect(form1_->hotkeys, &HotkeyRoute::hotkeyPressed, this,
                [&] { tokens << form1_->hotkeys->activationToken(); });
        desktop.press(QStringLiteral("restore-minimize"), QStringLiteral("token-1"));
        QTRY_COMPARE_WITH_TIMEOUT(tokens, QStringList({"token-1"}), 5000);
        QCOMPARE(form1_->hotkeys->activationToken(), QString());

        // Next's field now holds Play / Pause's combination, not applied:
        // the next-song press matches no row, the play-pause press both.
        settings().HotKey2->setValue(qv::shortcut::fromText(QStringLiteral("Ctrl+Alt+P")));
        const int urls = player_->urls.size();
        const int pauses = player_->pauseCalls;
        desktop.press(QStringLiteral("next-song"));
        desktop.press(QStringLiteral("play-pause"));
        QTRY_COMPARE_WITH_TIMEOUT(player_->urls.size(), urls + 1, 5000);
        QCOMPARE(selected(), 1); // one step, from the play-pause press
        QCOMPARE(player_->pauseCalls, pauses + 1);
    }

    void refusedOrCancelled_data() {
        QTest::addColumn<uint>("answer");
        QTest::newRow("cancelled by the user") << 1u;
        QTest::newRow("refused by the desktop") << 2u;
    }
    // The page says that the hotkeys are not there; a changed set is offered
    // again at the next Apply, an unchanged one is not.
    void refusedOrCancelled() {
        QFETCH(uint, answer);
        const PortalDesktop& desktop = startDesktop();
        QVERIFY(desktop.ready());
        desktop.control(QStringLiteral("SetResponses"), {answer, answer});
        start(allFour());
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Refused, 10000);
        QCOMPARE(desktop.press(QStringLiteral("play-pause")), 0u);
        form1_->Settings1Click();
        settings().sButton2Click(); // the "Hotkeys" page
        QVERIFY(settings().hotkeyNote->isVisible());
        QCOMPARE(settings().hotkeyNote->text(),
                 "The desktop did not grant the global hotkeys. Its own keyboard settings can "
                 "drive the player through its media controls (MPRIS).");

        desktop.control(QStringLiteral("SetResponses"), {0u, 0u});
        settings().sBitBtn1Click();
        QTest::keyClick(settings().HotKey1, Qt::Key_O, Qt::ControlModifier | Qt::AltModifier);
        settings().sBitBtn1Click();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Working, 10000);
        QCOMPARE(desktop.calls(QStringLiteral("BindShortcuts")).size(), 2);
        QVERIFY(settings().hotkeyNote->isHidden());
        QCOMPARE(desktop.press(QStringLiteral("play-pause")), 1u);
        QTRY_COMPARE_WITH_TIMEOUT(messages_->texts(), QStringList({"Please play a song first"}),
                                  5000);
    }

    // A desktop that binds a session only once gets a changed set in a new
    // session; the presses then come from that one.
    void refusedRebindGoesToANewSession() {
        const PortalDesktop& desktop = startDesktop();
        QVERIFY(desktop.ready());
        desktop.control(QStringLiteral("SetResponses"), {0u, 2u});
        start(allFour());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 1, 10000);
        form1_->Settings1Click();
        QTest::keyClick(settings().HotKey1, Qt::Key_O, Qt::ControlModifier | Qt::AltModifier);
        settings().sBitBtn1Click();
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 3, 10000);
        const QJsonArray sessions = desktop.calls(QStringLiteral("CreateSession"));
        QCOMPARE(sessions.size(), 2);
        const QJsonArray binds = desktop.calls(QStringLiteral("BindShortcuts"));
        QCOMPARE(binds[2][QLatin1String("session")], sessions[1][QLatin1String("session")]);
        QCOMPARE(shortcutLines(binds[2]).value(0), QString("play-pause|Play / Pause|CTRL+ALT+o"));
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("CloseSession")).size(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Working, 5000);
        QCOMPARE(desktop.press(QStringLiteral("play-pause")), 1u);
        QTRY_COMPARE_WITH_TIMEOUT(messages_->texts(), QStringList({"Please play a song first"}),
                                  5000);
    }

    // A desktop that keeps the user's own trigger for a shortcut still
    // reports its presses by name: they act as the combination registered.
    void desktopsOwnTriggerActsAsTheRegisteredCombination() {
        const PortalDesktop& desktop = startDesktop();
        QVERIFY(desktop.ready());
        desktop.control(QStringLiteral("KeepTriggers"), {true});
        start(allFour());
        QTRY_COMPARE_WITH_TIMEOUT(desktop.calls(QStringLiteral("BindShortcuts")).size(), 1, 10000);
        desktop.control(QStringLiteral("ChangeTrigger"),
                        {QStringLiteral("play-pause"), QStringLiteral("LOGO+p")});
        auto* route = qobject_cast<qv::PortalHotkeys*>(form1_->hotkeys);
        QVERIFY(route);
        QTRY_COMPARE_WITH_TIMEOUT(route->desktopTriggers().value("play-pause").toString(),
                                  QString("LOGO+p"), 5000);
        QCOMPARE(desktop.press(QStringLiteral("play-pause")), 1u);
        QTRY_COMPARE_WITH_TIMEOUT(messages_->texts(), QStringList({"Please play a song first"}),
                                  5000);
    }

    // Without the interface (a desktop with no shortcuts backend) the
    // registrations fail silently and the page says so.
    void interfaceMissing() {
        const PortalDesktop& desktop = startDesktop(PortalDesktop::Shortcuts::Missing);
        QVERIFY(desktop.ready());
        start(allFour());
        QTRY_COMPARE_WITH_TIMEOUT(form1_->hotkeys->status(), HotkeyRoute::Status::Unavailable,
                                  10000);
        QVERIFY(messages_->texts().isEmpty());
        QVERIFY(!form1_->hotkeys->registerHotkey(form1_->hotkeyIds[Form1::PlayPauseKey], 49232));
        form1_->Settings1Click();
        settings().sButton2Click(); // the "Hotkeys" page
        QVERIFY(settings().hotkeyNote->isVisible());
        QCOMPARE(settings().hotkeyNote->text(),
                 "This desktop offers no global hotkeys. Its own keyboard settings can drive "
                 "the player through its media controls (MPRIS).");
    }

    // No bus at all: the same, at once.
    void noSessionBus() {
        qv::PortalHotkeys route(QDBusConnection(QStringLiteral("not connected")));
        QCOMPARE(route.status(), HotkeyRoute::Status::Unavailable);
        QVERIFY(!route.registerHotkey(1, 49232));
    }

    // The route follows the session, not Qt's platform.
    void routeFollowsTheSession() {
        using qv::HotkeyRouteKind;
        QCOMPARE(qv::hotkeyRouteFor("wayland", ""), HotkeyRouteKind::Portal);
        QCOMPARE(qv::hotkeyRouteFor("Wayland", ""), HotkeyRouteKind::Portal);
        QCOMPARE(qv::hotkeyRouteFor("x11", "wayland-0"), HotkeyRouteKind::Portal);
        QCOMPARE(qv::hotkeyRouteFor("x11", ""), HotkeyRouteKind::X11);
        QCOMPARE(qv::hotkeyRouteFor("", ""), HotkeyRouteKind::X11);
        QCOMPARE(qv::hotkeyRouteFor("tty", ""), HotkeyRouteKind::X11);
    }
};

QTEST_MAIN(TestPortalHotkeys)
#include "test_portalhotkeys.moc"
