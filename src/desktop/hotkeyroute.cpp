// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeyroute.h"

#include "globalhotkeys.h"
#include "portalhotkeys.h"

#include <QDBusConnection>

Q_LOGGING_CATEGORY(lcHotkeys, "qv.hotkeys", QtWarningMsg)

namespace qv {

void HotkeyRoute::describe(int, const QString&, const QString&) {}

HotkeyRouteKind hotkeyRouteFor(const QString& sessionType, const QString& waylandDisplay) {
    const bool wayland =
        sessionType.compare(QLatin1StringView("wayland"), Qt::CaseInsensitive) == 0 ||
        !waylandDisplay.isEmpty();
    return wayland ? HotkeyRouteKind::Portal : HotkeyRouteKind::X11;
}

HotkeyRoute* createHotkeyRoute(QObject* parent) {
    if (hotkeyRouteFor(qEnvironmentVariable("XDG_SESSION_TYPE"),
                       qEnvironmentVariable("WAYLAND_DISPLAY")) == HotkeyRouteKind::Portal) {
        qCDebug(lcHotkeys) << "Wayland session: hotkeys through the desktop portal";
        return new PortalHotkeys(QDBusConnection::sessionBus(), parent);
    }
    auto* x11 = new GlobalHotkeys(parent);
    if (!x11->available())
        qCDebug(lcHotkeys) << "no X11 connection: hotkeys cannot be claimed";
    return x11;
}

} // namespace qv
