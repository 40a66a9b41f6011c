// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "shortcut.h"

#include <QLoggingCategory>
#include <QObject>
#include <QString>

Q_DECLARE_LOGGING_CATEGORY(lcHotkeys)

namespace qv {

// One way of claiming the system-wide key combinations. Exactly one route
// exists per run, chosen from the session the player runs in.
class HotkeyRoute : public QObject {
    Q_OBJECT
public:
    enum class Status {
        Working,     // combinations can be claimed (each claim may still fail)
        Waiting,     // the desktop has not answered yet
        Unavailable, // this desktop offers no global hotkeys
        Refused,     // the desktop declined the hotkeys, or the user cancelled them
    };

    using QObject::QObject;

    virtual Status status() const = 0;
    // Claims the combination for the identifier, withdrawing what that
    // identifier held before. False, silently, when it is known at once
    // that the claim failed.
    virtual bool registerHotkey(int id, shortcut::Value value) = 0;
    // Withdraws the identifier's claim; an unknown identifier is ignored.
    virtual void unregisterHotkey(int id) = 0;
    // Names an identifier for desktops that list the hotkeys they grant: a
    // stable name and the caption the user knows it by.
    virtual void describe(int id, const QString& name, const QString& description);

    // The desktop's activation token for the press being delivered through
    // hotkeyPressed, so that a window brought forward may take the focus;
    // empty otherwise.
    QString activationToken() const { return activationToken_; }

signals:
    // A claimed combination was pressed. Once per press.
    void hotkeyPressed(qv::shortcut::Value combination);
    void statusChanged();

protected:
    QString activationToken_;
};

// Wayland sessions go through the desktop portal, whether Qt runs natively
// or through XWayland: X11 grabs see no key while a Wayland window has the
// focus. Everything else keeps the X11 grabs.
enum class HotkeyRouteKind { X11, Portal };
HotkeyRouteKind hotkeyRouteFor(const QString& sessionType, const QString& waylandDisplay);

// The route for this session, owned by parent.
HotkeyRoute* createHotkeyRoute(QObject* parent);

} // namespace qv
