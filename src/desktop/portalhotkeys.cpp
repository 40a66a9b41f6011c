// SPDX-License-Identifier: GPL-3.0-or-later
#include "portalhotkeys.h"

#include "x11keys.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QGuiApplication>
#include <QPointer>

#include <algorithm>

namespace qv {

QDBusArgument& operator<<(QDBusArgument& argument, const PortalShortcut& shortcut) {
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, PortalShortcut& shortcut) {
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

namespace {

// Ending something needs no portal started for it.
QDBusMessage closeCall(const QString& path, const QString& interface) {
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.portal.Desktop"), path, interface, QStringLiteral("Close"));
    call.setAutoStartService(false);
    return call;
}

const QString kService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString kPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString kInterface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");

// How long the desktop may take to answer. Binding may wait on the user,
// who may be asked to confirm or choose the triggers.
constexpr int kCallTimeoutMs = 25'000;
constexpr int kAnswerTimeoutMs = 30'000;
constexpr int kBindTimeoutMs = 5 * 60'000;

// The Request object's path that a call with this handle token gets.
QString requestPath(const QDBusConnection& bus, const QString& token) {
    QString sender = bus.baseService();
    sender.remove(0, 1).replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

} // namespace

// Waits for one Request object's Response signal, or gives up after a time.
class ResponseWaiter : public QObject {
    Q_OBJECT
public:
    ResponseWaiter(QDBusConnection bus, int timeoutMs, QObject* parent)
        : QObject(parent), bus_(std::move(bus)) {
        timer_.setSingleShot(true);
        connect(&timer_, &QTimer::timeout, this, [this] {
            qCDebug(lcHotkeys) << "the desktop portal gave no answer on" << path_;
            bus_.send(closeCall(path_, QStringLiteral("org.freedesktop.portal.Request")));
            finish(2, {});
        });
        timer_.start(timeoutMs);
    }

    void watch(const QString& path) {
        if (path == path_)
            return;
        unwatch();
        path_ = path;
        bus_.connect(kService, path_, QStringLiteral("org.freedesktop.portal.Request"),
                     QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    }

    void finish(uint response, const QVariantMap& results) {
        if (done_)
            return;
        done_ = true;
        unwatch();
        deleteLater();
        emit answered(response, results);
    }

signals:
    void answered(uint response, const QVariantMap& results);

private slots:
    void onResponse(uint response, const QVariantMap& results) { finish(response, results); }

private:
    void unwatch() {
        if (!path_.isEmpty())
            bus_.disconnect(kService, path_, QStringLiteral("org.freedesktop.portal.Request"),
                            QStringLiteral("Response"), this, SLOT(onResponse(uint, QVariantMap)));
    }

    QDBusConnection bus_;
    QString path_;
    QTimer timer_;
    bool done_ = false;
};

PortalHotkeys::PortalHotkeys(QDBusConnection bus, QObject* parent)
    : HotkeyRoute(parent), bus_(std::move(bus)) {
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<PortalShortcuts>();
    bindTimer_.setSingleShot(true);
    bindTimer_.setInterval(0);
    connect(&bindTimer_, &QTimer::timeout, this, &PortalHotkeys::bindIfChanged);
    if (!bus_.isConnected()) {
        qCDebug(lcHotkeys) << "no session bus: no desktop portal for the hotkeys";
        status_ = Status::Unavailable;
        return;
    }
    bus_.connect(kService, kPath, kInterface, QStringLiteral("Activated"), this,
                 SLOT(onActivated(QDBusMessage)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ShortcutsChanged"), this,
                 SLOT(onShortcutsChanged(QDBusMessage)));
    start();
}

PortalHotkeys::~PortalHotkeys() {
    if (!session_.isEmpty())
        bus_.send(closeCall(session_, QStringLiteral("org.freedesktop.portal.Session")));
}

bool PortalHotkeys::registerHotkey(int id, shortcut::Value value) {
    Row& r = rowFor(id);
    r.value = value;
    r.claimed = true;
    if (status_ == Status::Unavailable)
        return false;
    bindTimer_.start();
    // A combination the desktop cannot be told of is no claim.
    return !shortcut::xdgTrigger(value).isEmpty();
}

void PortalHotkeys::unregisterHotkey(int id) {
    // The desktop binds whole sets: the next registration sends the set
    // without it. Shutdown needs nothing sent; the session ends with it.
    if (Row* r = row(id))
        r->claimed = false;
}

void PortalHotkeys::describe(int id, const QString& name, const QString& description) {
    Row& r = rowFor(id);
    r.name = name;
    r.description = description;
}

PortalHotkeys::Row* PortalHotkeys::row(int id) {
    const auto it = std::ranges::find(rows_, id, &Row::id);
    return it == rows_.end() ? nullptr : &*it;
}

PortalHotkeys::Row& PortalHotkeys::rowFor(int id) {
    if (Row* r = row(id))
        return *r;
    Row r;
    r.id = id;
    r.name = QStringLiteral("hotkey-%1").arg(id);
    rows_.push_back(std::move(r));
    return rows_.back();
}

PortalShortcuts PortalHotkeys::wanted() const {
    PortalShortcuts set;
    for (const Row& r : rows_) {
        const QString trigger = shortcut::xdgTrigger(r.value);
        if (!r.claimed || trigger.isEmpty())
            continue;
        set.append(PortalShortcut{r.name,
                                  {{QStringLiteral("description"), r.description},
                                   {QStringLiteral("preferred_trigger"), trigger}}});
    }
    return set;
}

void PortalHotkeys::setStatus(Status status) {
    if (status_ == status)
        return;
    status_ = status;
    emit statusChanged();
}

template <typename Done>
void PortalHotkeys::request(const QString& method, const QVariantList& arguments, int optionsIndex,
                            int timeoutMs, Done done) {
    const QString token = QStringLiteral("qvplayer%1").arg(++nextToken_);
    QVariantList args = arguments;
    QVariantMap options = args[optionsIndex].toMap();
    options.insert(QStringLiteral("handle_token"), token);
    args[optionsIndex] = options;

    // Listening starts before the call, or a quick answer would be missed.
    auto* waiter = new ResponseWaiter(bus_, timeoutMs, this);
    waiter->watch(requestPath(bus_, token));
    connect(waiter, &ResponseWaiter::answered, this, done);

    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kInterface, method);
    call.setArguments(args);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call, kCallTimeoutMs), waiter);
    connect(watcher, &QDBusPendingCallWatcher::finished, waiter,
            [waiter, method](QDBusPendingCallWatcher* w) {
                w->deleteLater();
                const QDBusPendingReply<QDBusObjectPath> reply = *w;
                if (reply.isError()) {
                    qCDebug(lcHotkeys)
                        << "desktop portal:" << method << "failed:" << reply.error().message();
                    waiter->finish(2, {});
                    return;
                }
                // Portals before 0.9 chose the path themselves.
                waiter->watch(reply.value().path());
            });
}

void PortalHotkeys::start() {
    // Newer portals know host programs only by the app id they register
    // first; older ones have no registry, which is fine.
    const QString appId = QGuiApplication::desktopFileName().isEmpty()
                              ? QStringLiteral("qvplayer")
                              : QGuiApplication::desktopFileName();
    QDBusMessage registration = QDBusMessage::createMethodCall(
        kService, kPath, QStringLiteral("org.freedesktop.host.portal.Registry"),
        QStringLiteral("Register"));
    registration.setArguments({appId, QVariantMap()});
    auto* registered =
        new QDBusPendingCallWatcher(bus_.asyncCall(registration, kCallTimeoutMs), this);
    connect(
        registered, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            if (w->isError())
                qCDebug(lcHotkeys)
                    << "desktop portal without an app registry:" << w->error().name();

            QDBusMessage version = QDBusMessage::createMethodCall(
                kService, kPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("Get"));
            version.setArguments({kInterface, QStringLiteral("version")});
            auto* checked =
                new QDBusPendingCallWatcher(bus_.asyncCall(version, kCallTimeoutMs), this);
            connect(checked, &QDBusPendingCallWatcher::finished, this,
                    [this](QDBusPendingCallWatcher* c) {
                        c->deleteLater();
                        if (c->isError()) {
                            qCDebug(lcHotkeys) << "the desktop offers no global shortcuts portal:"
                                               << c->error().message();
                            setStatus(Status::Unavailable);
                            return;
                        }
                        createSession();
                    });
        });
}

void PortalHotkeys::createSession() {
    const QVariantMap options{
        {QStringLiteral("session_handle_token"), QStringLiteral("qvplayer%1").arg(++nextToken_)}};
    request(QStringLiteral("CreateSession"), {options}, 0, kAnswerTimeoutMs,
            [this](uint response, const QVariantMap& results) {
                const QString session = results.value(QStringLiteral("session_handle")).toString();
                if (response != 0 || session.isEmpty()) {
                    qCDebug(lcHotkeys)
                        << "the desktop refused a shortcuts session, answer" << response;
                    setStatus(Status::Refused);
                    return;
                }
                session_ = session;
                setStatus(Status::Working);
                listShortcuts();
                bindIfChanged();
            });
}

void PortalHotkeys::listShortcuts() {
    request(QStringLiteral("ListShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariantMap()}, 1, kAnswerTimeoutMs,
            [this](uint response, const QVariantMap& results) {
                if (response == 0)
                    takeTriggers(
                        qdbus_cast<PortalShortcuts>(results.value(QStringLiteral("shortcuts"))));
            });
}

void PortalHotkeys::bindIfChanged() {
    if (session_.isEmpty() || binding_)
        return;
    const PortalShortcuts set = wanted();
    if (set == asked_)
        return;
    asked_ = set;
    binding_ = true;
    const bool fresh = !sessionBound_;
    qCDebug(lcHotkeys) << "binding" << set.size() << "shortcuts through the desktop portal";
    request(QStringLiteral("BindShortcuts"),
            {QVariant::fromValue(QDBusObjectPath(session_)), QVariant::fromValue(set), QString(),
             QVariantMap()},
            3, kBindTimeoutMs, [this, fresh](uint response, const QVariantMap& results) {
                onBound(response, results, fresh);
            });
}

void PortalHotkeys::onBound(uint response, const QVariantMap& results, bool freshSession) {
    binding_ = false;
    if (response == 0) {
        sessionBound_ = true;
        retried_ = false;
        takeTriggers(qdbus_cast<PortalShortcuts>(results.value(QStringLiteral("shortcuts"))));
        setStatus(Status::Working);
    } else if (response == 2 && !freshSession && !retried_) {
        // Some desktops bind a session once: a changed set goes to a new one.
        qCDebug(lcHotkeys) << "the desktop refused to bind again; trying a new session";
        retried_ = true;
        bus_.send(closeCall(session_, QStringLiteral("org.freedesktop.portal.Session")));
        session_.clear();
        sessionBound_ = false;
        asked_.clear();
        createSession();
        return;
    } else {
        qCDebug(lcHotkeys) << (response == 1 ? "the user cancelled the hotkeys"
                                             : "the desktop refused the hotkeys")
                           << "(answer" << response << ")";
        setStatus(Status::Refused);
    }
    bindIfChanged(); // the set may have changed meanwhile
}

void PortalHotkeys::takeTriggers(const PortalShortcuts& shortcuts) {
    for (const PortalShortcut& s : shortcuts) {
        const QVariant trigger = s.properties.value(QStringLiteral("trigger_description"));
        desktopTriggers_.insert(s.id, trigger);
        qCDebug(lcHotkeys) << "desktop shortcut" << s.id << "is" << trigger.toString();
    }
}

void PortalHotkeys::onActivated(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || session_.isEmpty() ||
        qdbus_cast<QDBusObjectPath>(args[0]).path() != session_)
        return;
    const QString name = args[1].toString();
    const auto it = std::ranges::find(rows_, name, &Row::name);
    if (it == rows_.end() || !it->claimed || it->value == 0) {
        qCDebug(lcHotkeys) << "the desktop pressed an unknown shortcut" << name;
        return;
    }
    const QVariantMap options = args.size() > 3 ? qdbus_cast<QVariantMap>(args[3]) : QVariantMap();
    const shortcut::Value value = it->value;
    const QPointer<PortalHotkeys> alive(this);
    activationToken_ = options.value(QStringLiteral("activation_token")).toString();
    emit hotkeyPressed(value);
    if (alive)
        activationToken_.clear();
}

void PortalHotkeys::onShortcutsChanged(const QDBusMessage& message) {
    const QVariantList args = message.arguments();
    if (args.size() < 2 || qdbus_cast<QDBusObjectPath>(args[0]).path() != session_)
        return;
    takeTriggers(qdbus_cast<PortalShortcuts>(args[1]));
}

} // namespace qv

#include "portalhotkeys.moc"
