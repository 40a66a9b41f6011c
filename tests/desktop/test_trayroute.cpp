// SPDX-License-Identifier: GPL-3.0-or-later
// Where Qt puts the tray icon and whether a host shows it, from the facts Qt
// reads (widget-free).
#include "trayhosts.h"

#include <QTest>

using qv::tray::Facts;
using qv::tray::Route;

Q_DECLARE_METATYPE(Facts)
Q_DECLARE_METATYPE(Route)

namespace {

// The watcher's own interface as a complete watcher describes it.
QString introspection(const QString& watcherBody, const QString& more = {}) {
    return QStringLiteral("<!DOCTYPE node PUBLIC \"-//freedesktop//DTD D-BUS Object "
                          "Introspection 1.0//EN\"\n"
                          " \"http://www.freedesktop.org/standards/dbus/1.0/introspect.dtd\">\n"
                          "<node><interface name=\"org.kde.StatusNotifierWatcher\">"
                          "<method name=\"RegisterStatusNotifierItem\">"
                          "<arg name=\"service\" type=\"s\" direction=\"in\"/></method>%1"
                          "</interface>%2</node>")
        .arg(watcherBody, more);
}

const QString kHostProperty = QStringLiteral(
    "<property name=\"IsStatusNotifierHostRegistered\" type=\"b\" access=\"read\"/>");

} // namespace

class TestTrayRoute : public QObject {
    Q_OBJECT

private slots:
    void routeAndHost_data() {
        QTest::addColumn<Facts>("facts");
        QTest::addColumn<Route>("route");
        QTest::addColumn<bool>("host");
        QTest::addColumn<bool>("createNow");
        // statusNotifierPlatform, statusNotifierHost, xembedPlatform, xembedTray
        QTest::newRow("offscreen: no tray, nothing to wait for")
            << Facts{} << Route::None << false << true;
        QTest::newRow("X11 without any tray: wait for one")
            << Facts{true, false, true, false} << Route::XEmbed << false << false;
        QTest::newRow("X11 with an XEmbed tray")
            << Facts{true, false, true, true} << Route::XEmbed << true << true;
        QTest::newRow("X11 with a StatusNotifier host")
            << Facts{true, true, true, false} << Route::StatusNotifier << true << true;
        QTest::newRow("X11 with both: Qt prefers the StatusNotifier host")
            << Facts{true, true, true, true} << Route::StatusNotifier << true << true;
        QTest::newRow("Wayland without a host: wait for one")
            << Facts{true, false, false, false} << Route::None << false << false;
        QTest::newRow("Wayland with a StatusNotifier host")
            << Facts{true, true, false, false} << Route::StatusNotifier << true << true;
    }
    void routeAndHost() {
        QFETCH(Facts, facts);
        QFETCH(Route, route);
        QCOMPARE(qv::tray::routeFor(facts), route);
        QTEST(qv::tray::hasHost(route, facts), "host");
        QTEST(qv::tray::createNow(facts, std::nullopt), "createNow");
    }

    // Once Qt has chosen, the host that counts is the one of that route.
    void hostOfTheRouteTaken() {
        const Facts xembedOnly{true, false, true, true};
        const Facts statusNotifierOnly{true, true, true, false};
        // The StatusNotifier host went away: an XEmbed tray does not show a
        // StatusNotifier item, whatever QSystemTrayIcon::isSystemTrayAvailable() says.
        QVERIFY(!qv::tray::hasHost(Route::StatusNotifier, xembedOnly));
        // A watcher that came after the XEmbed icon does not show it either.
        QVERIFY(!qv::tray::hasHost(Route::XEmbed, statusNotifierOnly));
        QVERIFY(!qv::tray::hasHost(Route::None, Facts{true, true, true, true}));
        // With the route fixed, waiting gains nothing.
        QVERIFY(qv::tray::createNow(Facts{true, false, true, false}, Route::XEmbed));
    }

    // The first icon of the process fixes the route, as in Qt.
    void firstChoiceKept() {
        QCOMPARE(qv::tray::routeTaken(), std::nullopt);
        QCOMPARE(qv::tray::takeRoute(Facts{true, false, true, true}), Route::XEmbed);
        QCOMPARE(qv::tray::takeRoute(Facts{true, true, true, true}), Route::XEmbed);
        QCOMPARE(qv::tray::routeTaken(), Route::XEmbed);
    }

    void hostPropertyListed_data() {
        QTest::addColumn<QString>("xml");
        QTest::addColumn<bool>("listed");
        QTest::newRow("listed") << introspection(kHostProperty) << true;
        QTest::newRow("methods only, as python-dbus describes objects")
            << introspection({}) << false;
        QTest::newRow("write only")
            << introspection(QStringLiteral("<property name=\"IsStatusNotifierHostRegistered\" "
                                            "type=\"b\" access=\"write\"/>"))
            << false;
        QTest::newRow("in another interface")
            << introspection({}, QStringLiteral("<interface name=\"org.example.Other\">%1"
                                                "</interface>")
                                     .arg(kHostProperty))
            << false;
        QTest::newRow("only on a child object")
            << introspection({}, QStringLiteral("<node name=\"child\"><interface "
                                                "name=\"org.kde.StatusNotifierWatcher\">%1"
                                                "</interface></node>")
                                     .arg(kHostProperty))
            << false;
        QTest::newRow("cut off before the property")
            << introspection(kHostProperty).left(200) << false;
    }
    void hostPropertyListed() {
        QFETCH(QString, xml);
        QTEST(qv::tray::listsHostProperty(xml), "listed");
    }
};

QTEST_GUILESS_MAIN(TestTrayRoute)
#include "test_trayroute.moc"
