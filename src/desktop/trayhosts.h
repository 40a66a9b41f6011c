// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <cstdint>
#include <optional>

struct xcb_connection_t;

Q_DECLARE_LOGGING_CATEGORY(lcTray)

namespace qv {

// Where Qt 6.4 puts a tray icon, and whether anything shows it there.
//
// Qt chooses once per process, at the first call into its tray (creating a
// QSystemTrayIcon, or QSystemTrayIcon::isSystemTrayAvailable()): a
// StatusNotifier item on the session bus when the platform's theme offers
// those (xcb, wayland; not offscreen) and org.kde.StatusNotifierWatcher says
// IsStatusNotifierHostRegistered -- read through the watcher's introspection
// data, so a property it does not list reads as false. Otherwise, on X11, an
// XEmbed icon docked into the window that owns the tray selection. A watcher
// that appears later never changes that choice, so the program asks Qt only
// once a host exists, and every tray call of the program goes through here.
namespace tray {

enum class Route { None, StatusNotifier, XEmbed };

// What Qt looks at, read at one moment.
struct Facts {
    bool statusNotifierPlatform = false; // the platform's theme offers StatusNotifier items
    bool statusNotifierHost = false;     // the watcher says a host shows its items
    bool xembedPlatform = false;         // X11
    bool xembedTray = false;             // the screen's tray selection has an owner
};

// The route Qt takes for a first icon created now.
Route routeFor(const Facts& now);
// Whether something shows an icon of that route now.
bool hasHost(Route route, const Facts& now);
// Whether to create the icon now. Creating it fixes Qt's route, so while no
// host of either kind exists and Qt could still use a watcher that comes
// later, the icon waits for whichever host comes first.
bool createNow(const Facts& now, std::optional<Route> taken);
// Whether introspection data lists the watcher's IsStatusNotifierHostRegistered
// as a readable boolean, which is what Qt needs to read it.
bool listsHostProperty(const QString& introspection);

// The route Qt took in this process; none before the first icon.
std::optional<Route> routeTaken();
// Records Qt's choice just before the first icon is created; later calls
// return that first choice, as Qt keeps it.
Route takeRoute(const Facts& now);
const char* routeName(Route route);

} // namespace tray

// Reads the facts on the session bus and Qt's X11 connection, and says when a
// host may have come: the watcher's name appeared, a host registered with it,
// or an XEmbed tray took the tray selection (widget-free).
class TrayHosts : public QObject, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    static inline const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
    static inline const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
    // A watcher that takes longer counts as none.
    static constexpr int kBusTimeoutMs = 2000;

    explicit TrayHosts(QObject* parent = nullptr,
                       QDBusConnection bus = QDBusConnection::sessionBus());

    // Two bus round trips while a watcher exists, one otherwise; one X11 round trip.
    tray::Facts facts() const;

signals:
    void changed();

protected:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    Q_SLOT void hostRegistered();
    bool statusNotifierHostRegistered() const;
    bool xembedTrayPresent() const;

    QDBusConnection bus_;
    bool statusNotifierPlatform_ = false;
    xcb_connection_t* x11_ = nullptr; // Qt's connection; null away from X11
    std::uint32_t managerAtom_ = 0;
    std::uint32_t selectionAtom_ = 0; // _NET_SYSTEM_TRAY_S<screen>
};

} // namespace qv
