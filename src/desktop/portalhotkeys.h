// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeyroute.h"

#include <QDBusConnection>
#include <QList>
#include <QString>
#include <QTimer>
#include <QVariantMap>
#include <vector>

class QDBusMessage;
class QDBusPendingCallWatcher;

namespace qv {

// One entry of the portal's shortcut lists: an id and its properties
// ("description", "preferred_trigger", "trigger_description").
struct PortalShortcut {
    QString id;
    QVariantMap properties;
    bool operator==(const PortalShortcut&) const = default;
};
using PortalShortcuts = QList<PortalShortcut>;

// The global hotkeys through the desktop portal's GlobalShortcuts interface,
// the route of Wayland sessions. The desktop binds a whole set of named
// shortcuts at once and reports which one was pressed by its name, so each
// registration only changes the wanted set; the set is bound once the event
// loop runs, and only when it differs from the one last asked for (the
// desktop may ask the user each time). A press of a shortcut counts as a
// press of the combination registered under its identifier.
class PortalHotkeys : public HotkeyRoute {
    Q_OBJECT
public:
    explicit PortalHotkeys(QDBusConnection bus, QObject* parent = nullptr);
    ~PortalHotkeys() override; // closes the session

    Status status() const override { return status_; }
    bool registerHotkey(int id, shortcut::Value value) override;
    void unregisterHotkey(int id) override;
    void describe(int id, const QString& name, const QString& description) override;

    // What the desktop reports as bound, by name: its trigger descriptions,
    // which may differ from the triggers asked for.
    QVariantMap desktopTriggers() const { return desktopTriggers_; }

private slots:
    void onActivated(const QDBusMessage& message);
    void onShortcutsChanged(const QDBusMessage& message);

private:
    struct Row {
        int id = 0;
        QString name;
        QString description;
        shortcut::Value value = 0;
        bool claimed = false;
    };
    Row* row(int id);
    Row& rowFor(int id);
    PortalShortcuts wanted() const;

    void setStatus(Status status);
    void start();
    void createSession();
    void listShortcuts();
    void bindIfChanged();
    void onBound(uint response, const QVariantMap& results, bool freshSession);
    void takeTriggers(const PortalShortcuts& shortcuts);

    // A call on the portal answered later through a Request object's
    // Response signal: done gets (response, results); 2 when the call
    // itself failed or no answer came within timeoutMs.
    template <typename Done>
    void request(const QString& method, const QVariantList& arguments, int optionsIndex,
                 int timeoutMs, Done done);

    QDBusConnection bus_;
    Status status_ = Status::Waiting;
    QString session_; // object path, empty while there is none
    std::vector<Row> rows_;
    PortalShortcuts asked_;     // the set last sent to the desktop
    bool binding_ = false;      // a bind is waiting for its answer
    bool sessionBound_ = false; // the session has had a set bound
    bool retried_ = false;      // a refused re-bind was tried once in a new session
    QTimer bindTimer_;
    QVariantMap desktopTriggers_;
    int nextToken_ = 0;
};

} // namespace qv

Q_DECLARE_METATYPE(qv::PortalShortcut)
