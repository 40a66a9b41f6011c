// SPDX-License-Identifier: GPL-3.0-or-later
// The tray icon on real tray hosts, under a private Xvfb and a private session
// bus (the test runs under dbus-run-session). The StatusNotifier watcher is a
// stand-in process of its own: Qt asks it synchronously, so a watcher on the
// test's own connection would deadlock. trayer is the XEmbed tray. Qt fixes
// the icon's route at the first icon of a process, so ctest runs every case in
// a process of its own.
#include "fakemediaplayer.h"
#include "form1.h"
#include "messagerecorder.h"
#include "program.h"
#include "testinstall.h"
#include "testprogram.h"
#include "testxvfb.h"
#include "trayhosts.h"

#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>

#include <optional>

using qv::Form1;

namespace {

const QString kItemInterface = QStringLiteral("org.kde.StatusNotifierItem");
const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuInterface = QStringLiteral("com.canonical.dbusmenu");

// The stand-in watcher, followed through the lines it prints.
class Watcher {
public:
    explicit Watcher(const QStringList& arguments = {}) {
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            while (process_.canReadLine())
                lines_ << QString::fromUtf8(process_.readLine()).trimmed();
        });
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process_.start(QStringLiteral(QV_DBUS_PYTHON),
                       QStringList{QStringLiteral(QV_WATCHER_SCRIPT)} + arguments);
    }
    ~Watcher() {
        process_.closeWriteChannel(); // it ends with its input
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }
    Watcher(const Watcher&) = delete;
    Watcher& operator=(const Watcher&) = delete;

    bool saw(const QString& line) {
        return QTest::qWaitFor([&] { return lines_.contains(line); }, 10000);
    }
    void send(const QByteArray& line) { process_.write(line + '\n'); }
    // The bus names of the items registered now.
    QStringList items() const {
        QStringList names;
        for (const QString& line : lines_) {
            if (line.startsWith(u"item ") && !names.contains(line.mid(5)))
                names << line.mid(5);
            else if (line.startsWith(u"gone "))
                names.removeAll(line.mid(5));
        }
        return names;
    }

private:
    QProcess process_;
    QStringList lines_;
};

struct MenuEntry {
    int id = 0;
    QString text; // "-" for a separator
};

// The top level of a com.canonical.dbusmenu layout, (ia{sv}av).
QList<MenuEntry> topLevel(const QDBusArgument& layout) {
    int id = 0;
    QVariantMap properties;
    QVariantList children;
    layout.beginStructure();
    layout >> id >> properties >> children;
    layout.endStructure();
    QList<MenuEntry> entries;
    for (const QVariant& child : children) {
        const QDBusArgument item = child.value<QDBusArgument>();
        MenuEntry entry;
        QVariantMap itemProperties;
        QVariantList grandchildren;
        item.beginStructure();
        item >> entry.id >> itemProperties >> grandchildren;
        item.endStructure();
        if (!itemProperties.value(QStringLiteral("visible"), true).toBool())
            continue;
        entry.text = itemProperties.value(QStringLiteral("type")).toString() == u"separator"
                         ? QStringLiteral("-")
                         : itemProperties.value(QStringLiteral("label")).toString();
        entries << entry;
    }
    return entries;
}

QStringList texts(const QList<MenuEntry>& entries) {
    QStringList result;
    for (const MenuEntry& entry : entries)
        result << entry.text;
    return result;
}

bool xdotool(const QStringList& arguments) {
    QProcess tool;
    tool.start(QStringLiteral("xdotool"), arguments);
    return tool.waitForFinished(5000) && tool.exitCode() == 0;
}

} // namespace

class TestTray : public ProgramTest {
    Q_OBJECT

    // What a desktop's tray host uses to reach the item.
    QDBusConnection desktop_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));

    void start(const QStringList& general) {
        install_->writeSettings(QStringList{"[General]", "Reportstarts=0"} + general);
        form1_ = qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
    }

    // The item and its menu live in this process: their answers need this
    // thread's event loop, so the call is made asynchronously.
    QDBusMessage call(const QString& service, const QString& path, const QString& interface,
                      const QString& method, const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = desktop_.asyncCall(message, 5000);
        // The call's own time-out ends the wait; the reply is then its error.
        if (!QTest::qWaitFor([&] { return pending.isFinished(); }, 6000))
            qWarning("no answer to %s", qPrintable(method));
        return pending.reply();
    }
    QString menuPath(const QString& item) {
        const QDBusMessage reply =
            call(item, kItemPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                 QStringLiteral("Get"), {kItemInterface, QStringLiteral("Menu")});
        return reply.arguments()
            .value(0)
            .value<QDBusVariant>()
            .variant()
            .value<QDBusObjectPath>()
            .path();
    }
    QList<MenuEntry> menu(const QString& item) {
        const QDBusMessage reply = call(item, menuPath(item), kMenuInterface,
                                        QStringLiteral("GetLayout"), {0, -1, QStringList()});
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 2)
            return {};
        return topLevel(reply.arguments()[1].value<QDBusArgument>());
    }
    bool activate(const QString& item) {
        return call(item, kItemPath, kItemInterface, QStringLiteral("Activate"), {0, 0}).type() ==
               QDBusMessage::ReplyMessage;
    }

    // Minimises as the window's button does.
    bool minimiseIntoTray() {
        form1_->showMinimized();
        return QTest::qWaitFor([&] { return form1_->isHidden(); }, 5000);
    }
    bool minimiseOrdinarily() {
        form1_->showMinimized();
        QCoreApplication::sendPostedEvents(); // what a move into the tray would post
        const bool ordinary = form1_->isMinimized() && !form1_->isHidden();
        form1_->showNormal();
        return ordinary;
    }
    bool shownAgain() {
        return QTest::qWaitFor([&] { return form1_->isVisible() && !form1_->isMinimized(); }, 5000);
    }

private slots:
    void initTestCase() {
        if (!QGuiApplication::platformName().startsWith(QLatin1StringView("xcb")))
            QSKIP("Xvfb is not installed");
        if (!desktop_.isConnected())
            QSKIP("no session bus: run under dbus-run-session");
    }

    void init() {
        if (qv::tray::routeTaken())
            QSKIP("Qt has fixed this process's tray route: run each case alone, as ctest does");
        install_ = std::make_unique<TestInstall>();
        messages_ = std::make_unique<qv::MessageRecorder>();
    }

    void cleanup() { endProgram(); }

    void statusNotifierItem() {
        Watcher watcher;
        QVERIFY(watcher.saw("ready"));
        start({"ShowTrayicon=0", "MinimizeToTray=1"});
        QVERIFY(form1_->CoolTrayIcon1); // a host is there: the icon is made at start

        QVERIFY(minimiseIntoTray());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 5000);
        const QString item = watcher.items().first();
        QCOMPARE(texts(menu(item)), QStringList({"Show window", "Play / Pause", "Previous song",
                                                 "Next song", "-", "Close"}));

        // The host's click is "Show window"; the icon goes, as it is not permanent.
        QVERIFY(activate(item));
        QVERIFY(shownAgain());
        QTRY_VERIFY_WITH_TIMEOUT(watcher.items().isEmpty(), 5000);

        // The icon comes back with the next minimise, its menu's "Show window" works.
        QVERIFY(minimiseIntoTray());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 5000);
        const QString again = watcher.items().first();
        const QList<MenuEntry> entries = menu(again);
        QVERIFY(!entries.isEmpty());
        QCOMPARE(entries.first().text, "Show window");
        const QDBusMessage clicked =
            call(again, menuPath(again), kMenuInterface, QStringLiteral("Event"),
                 {entries.first().id, QStringLiteral("clicked"),
                  QVariant::fromValue(QDBusVariant(0)), 0u});
        QCOMPARE(clicked.type(), QDBusMessage::ReplyMessage);
        QVERIFY(shownAgain());
    }

    void watcherAfterStart() {
        start({"ShowTrayicon=1", "MinimizeToTray=1"});
        QVERIFY(!form1_->CoolTrayIcon1); // nothing to show it: Qt is not asked yet
        QVERIFY(minimiseOrdinarily());

        // A watcher without a host changes nothing.
        Watcher watcher({"--no-host"});
        QVERIFY(watcher.saw("ready"));
        QVERIFY(minimiseOrdinarily());
        QVERIFY(!form1_->CoolTrayIcon1);

        // A host registers without announcing it: the next minimise finds it.
        watcher.send("host");
        QVERIFY(watcher.saw("host"));
        QVERIFY(minimiseIntoTray());
        QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 5000);
        QVERIFY(activate(watcher.items().first()));
        QVERIFY(shownAgain());
        QCOMPARE(watcher.items().size(), 1); // the permanent icon stays
    }

    void watcherWithHostAfterStart() {
        start({"ShowTrayicon=1", "MinimizeToTray=1"});
        QVERIFY(!form1_->CoolTrayIcon1);
        // The permanent icon goes to a watcher with a host as soon as it comes.
        Watcher watcher;
        QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 5000);
        QVERIFY(!form1_->isMinimized());
    }

    void hostAnnouncedAfterStart() {
        Watcher watcher({"--no-host"});
        QVERIFY(watcher.saw("ready"));
        start({"ShowTrayicon=1", "MinimizeToTray=1"});
        QVERIFY(!form1_->CoolTrayIcon1);
        // The permanent icon goes to the watcher once it announces a host.
        watcher.send("announce");
        QTRY_COMPARE_WITH_TIMEOUT(watcher.items().size(), 1, 5000);
        QVERIFY(!form1_->isMinimized());
    }

    // Qt reads no host from a watcher whose introspection data leaves the
    // property out, and neither does the player.
    void watcherPropertiesUnlisted() {
        Watcher watcher({"--unlisted"});
        QVERIFY(watcher.saw("ready"));
        start({"ShowTrayicon=1", "MinimizeToTray=1"});
        QVERIFY(!form1_->CoolTrayIcon1);
        QVERIFY(minimiseOrdinarily());
        QVERIFY(!form1_->CoolTrayIcon1);
    }

    void xembedTray() {
        // A watcher that has no host leaves Qt on XEmbed, and the clicks with it.
        Watcher watcher({"--no-host"});
        QVERIFY(watcher.saw("ready"));
        start({"ShowTrayicon=1", "MinimizeToTray=1"});
        QVERIFY(minimiseOrdinarily());

        // The tray starts after the player; the permanent icon docks into it.
        QProcess trayer;
        trayer.start(QStringLiteral("trayer"),
                     {"--edge", "top", "--align", "right", "--widthtype", "request", "--height",
                      "32", "--SetDockType", "true"});
        // Docked: in the tray's strip along the top, and staying where it is,
        // since Qt knows its place before the tray has moved it there.
        QRect last;
        QElapsedTimer unmoved;
        const auto docked = [&] {
            const QRect now = form1_->CoolTrayIcon1 ? form1_->CoolTrayIcon1->geometry() : QRect();
            if (now != last) {
                last = now;
                unmoved.start();
                return false;
            }
            return !now.isEmpty() && now.top() >= 0 && now.bottom() < 32 &&
                   unmoved.elapsed() >= 300;
        };
        QTRY_VERIFY_WITH_TIMEOUT(docked(), 10000);
        QSignalSpy activations(form1_->CoolTrayIcon1, &QSystemTrayIcon::activated);
        QVERIFY(minimiseIntoTray());

        const QPoint centre = form1_->CoolTrayIcon1->geometry().center();
        QVERIFY(xdotool(
            {"mousemove", QString::number(centre.x()), QString::number(centre.y()), "click", "1"}));
        QTRY_COMPARE_WITH_TIMEOUT(activations.size(), 1, 5000);
        QCOMPARE(activations[0][0].value<QSystemTrayIcon::ActivationReason>(),
                 QSystemTrayIcon::Trigger);
        QCoreApplication::sendPostedEvents();
        QVERIFY(form1_->isHidden()); // a single click does nothing

        QVERIFY(xdotool({"click", "--repeat", "2", "--delay", "50", "1"}));
        QVERIFY(shownAgain());
        bool doubleClick = false;
        for (const QList<QVariant>& activation : activations)
            doubleClick |= activation[0].value<QSystemTrayIcon::ActivationReason>() ==
                           QSystemTrayIcon::DoubleClick;
        QVERIFY(doubleClick);
        QVERIFY(watcher.items().isEmpty());
        trayer.kill();
        trayer.waitForFinished(5000);
    }
};

// Under a private Xvfb when there is one; otherwise every case is skipped.
int main(int argc, char** argv) {
    std::optional<TestXvfb> xvfb;
    startXvfbOrOffscreen(xvfb);
    QApplication app(argc, argv);
    TestTray test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_tray.moc"
