// SPDX-License-Identifier: GPL-3.0-or-later
#include "trayhosts.h"

#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QXmlStreamReader>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <memory>

Q_LOGGING_CATEGORY(lcTray, "qv.tray", QtWarningMsg)

namespace qv {
namespace {

const QString kHostProperty = QStringLiteral("IsStatusNotifierHostRegistered");

std::optional<tray::Route> taken; // mirrors Qt's own process-wide choice

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Malloced = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t intern(xcb_connection_t* connection, const QByteArray& name) {
    const Malloced<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, name.size(), name.constData()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

namespace tray {

Route routeFor(const Facts& now) {
    if (now.statusNotifierPlatform && now.statusNotifierHost)
        return Route::StatusNotifier;
    return now.xembedPlatform ? Route::XEmbed : Route::None;
}

bool hasHost(Route route, const Facts& now) {
    switch (route) {
    case Route::StatusNotifier:
        return now.statusNotifierHost;
    case Route::XEmbed:
        return now.xembedTray;
    case Route::None:
        break;
    }
    return false;
}

bool createNow(const Facts& now, std::optional<Route> taken) {
    return taken || !now.statusNotifierPlatform || hasHost(routeFor(now), now);
}

bool listsHostProperty(const QString& introspection) {
    QXmlStreamReader xml(introspection);
    int nodeDepth = 0;
    bool inWatcher = false;
    while (!xml.atEnd()) {
        const QXmlStreamReader::TokenType token = xml.readNext();
        if (token == QXmlStreamReader::EndElement) {
            if (xml.name() == u"node")
                --nodeDepth;
            else if (xml.name() == u"interface")
                inWatcher = false;
            continue;
        }
        if (token != QXmlStreamReader::StartElement)
            continue;
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == u"node") {
            ++nodeDepth;
        } else if (xml.name() == u"interface") {
            // Only the object's own interfaces, not those of child nodes.
            inWatcher = nodeDepth == 1 &&
                        attributes.value(QLatin1StringView("name")) == TrayHosts::kWatcherService;
        } else if (inWatcher && xml.name() == u"property" &&
                   attributes.value(QLatin1StringView("name")) == kHostProperty) {
            return attributes.value(QLatin1StringView("access")).startsWith(u"read");
        }
    }
    return false;
}

std::optional<Route> routeTaken() {
    return taken;
}

Route takeRoute(const Facts& now) {
    if (!taken)
        taken = routeFor(now);
    return *taken;
}

const char* routeName(Route route) {
    switch (route) {
    case Route::StatusNotifier:
        return "StatusNotifier";
    case Route::XEmbed:
        return "XEmbed";
    case Route::None:
        break;
    }
    return "none";
}

} // namespace tray

TrayHosts::TrayHosts(QObject* parent, QDBusConnection bus) : QObject(parent), bus_(std::move(bus)) {
    // Qt's xcb and wayland platforms use its generic Unix themes, which offer
    // StatusNotifier items; the offscreen platform's theme offers none.
    const QString platform = QGuiApplication::platformName();
    statusNotifierPlatform_ = platform == u"xcb" || platform.startsWith(u"wayland");
    if (statusNotifierPlatform_ && bus_.isConnected()) {
        auto* names = new QDBusServiceWatcher(kWatcherService, bus_,
                                              QDBusServiceWatcher::WatchForRegistration, this);
        connect(names, &QDBusServiceWatcher::serviceRegistered, this, &TrayHosts::changed);
        // A watcher may start without a host and gain one later.
        bus_.connect(kWatcherService, kWatcherPath, kWatcherService,
                     QStringLiteral("StatusNotifierHostRegistered"), this, SLOT(hostRegistered()));
    }

    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    x11_ = x11->connection();
    // The screen DISPLAY names, as Qt's connection chose it.
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    managerAtom_ = intern(x11_, QByteArrayLiteral("MANAGER"));
    selectionAtom_ = intern(x11_, "_NET_SYSTEM_TRAY_S" + QByteArray::number(screen));
    // A tray that starts announces itself with MANAGER on the root window,
    // whose structure events Qt's connection already receives.
    qGuiApp->installNativeEventFilter(this);
}

tray::Facts TrayHosts::facts() const {
    return {statusNotifierPlatform_, statusNotifierHostRegistered(), x11_ != nullptr,
            xembedTrayPresent()};
}

void TrayHosts::hostRegistered() {
    emit changed();
}

// The facts Qt reads, in the same way: the property only when the watcher's
// introspection data lists it. Nothing is started on demand, as Qt starts
// nothing either.
bool TrayHosts::statusNotifierHostRegistered() const {
    if (!statusNotifierPlatform_ || !bus_.isConnected())
        return false;
    QDBusMessage introspect = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Introspectable"),
        QStringLiteral("Introspect"));
    introspect.setAutoStartService(false);
    const QDBusMessage data = bus_.call(introspect, QDBus::Block, kBusTimeoutMs);
    if (data.type() != QDBusMessage::ReplyMessage) {
        if (data.errorName() != u"org.freedesktop.DBus.Error.NameHasNoOwner" &&
            data.errorName() != u"org.freedesktop.DBus.Error.ServiceUnknown")
            qCDebug(lcTray) << "the StatusNotifier watcher gave no introspection data, taken as no "
                               "host:"
                            << data.errorName() << data.errorMessage();
        return false;
    }
    if (!tray::listsHostProperty(data.arguments().value(0).toString())) {
        qCDebug(lcTray) << "the StatusNotifier watcher does not list" << kHostProperty
                        << "so Qt reads no host";
        return false;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(
        kWatcherService, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get.setArguments({kWatcherService, kHostProperty});
    get.setAutoStartService(false);
    const QDBusMessage value = bus_.call(get, QDBus::Block, kBusTimeoutMs);
    if (value.type() != QDBusMessage::ReplyMessage) {
        qCDebug(lcTray) << "the StatusNotifier watcher did not give" << kHostProperty
                        << "taken as no host:" << value.errorName() << value.errorMessage();
        return false;
    }
    return value.arguments().value(0).value<QDBusVariant>().variant().toBool();
}

bool TrayHosts::xembedTrayPresent() const {
    if (!x11_ || selectionAtom_ == XCB_ATOM_NONE)
        return false;
    const Malloced<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        x11_, xcb_get_selection_owner(x11_, selectionAtom_), nullptr));
    return owner && owner->owner != XCB_WINDOW_NONE;
}

bool TrayHosts::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || managerAtom_ == XCB_ATOM_NONE)
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return false;
    const auto* client = reinterpret_cast<const xcb_client_message_event_t*>(event);
    if (client->type == managerAtom_ && client->format == 32 &&
        client->data.data32[1] == selectionAtom_) {
        qCDebug(lcTray) << "an XEmbed tray took the tray selection";
        // Qt's own handling of the message comes after this filter.
        QMetaObject::invokeMethod(this, &TrayHosts::changed, Qt::QueuedConnection);
    }
    return false;
}

} // namespace qv
