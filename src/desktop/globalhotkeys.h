// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeyroute.h"
#include "shortcut.h"

#include <QAbstractNativeEventFilter>
#include <QHash>
#include <cstdint>
#include <vector>

struct xcb_connection_t;

namespace qv {

// System-wide key combinations, grabbed on the X11 root window through Qt's own
// xcb connection. Create it after the QGuiApplication.
class GlobalHotkeys : public HotkeyRoute, public QAbstractNativeEventFilter {
    Q_OBJECT
public:
    explicit GlobalHotkeys(QObject* parent = nullptr);
    ~GlobalHotkeys() override; // withdraws every grab it made

    // True when running on X11 (Qt's xcb platform); elsewhere every
    // registration fails silently.
    bool available() const;
    Status status() const override;
    // Claims the combination for the identifier, withdrawing what that
    // identifier held before (also when the new claim fails). False, silently,
    // when not on X11, for value 0 or a key without a keysym, when the
    // keyboard has no key for the keysym, or when another client holds the
    // combination.
    // Virtual so that tests can record the claims instead of making them.
    bool registerHotkey(int id, shortcut::Value value) override;
    // Withdraws the identifier's grab; an unknown identifier is ignored.
    void unregisterHotkey(int id) override;

    // hotkeyPressed comes once per press, however many identifiers claimed
    // the combination; a held combination's repeats are dropped.

protected:
    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

private:
    struct KeyGrab {
        std::uint8_t keycode = 0;
        std::uint16_t mask = 0; // X modifier mask, lock keys included
        bool operator==(const KeyGrab&) const = default;
    };
    // One claimed combination, shared by the identifiers that claimed it.
    struct Grab {
        shortcut::Value value = 0;
        std::uint16_t modifiers = 0; // X modifier mask without the lock keys
        std::vector<KeyGrab> keys;   // what the X server granted
        int users = 0;
    };

    bool grab(Grab& g);
    // Releases g's keys except those another combination holds as well (two
    // keysyms can share a key; the X server keeps one grab for both).
    void release(const Grab& g);

    xcb_connection_t* connection_ = nullptr;
    std::uint32_t root_ = 0;
    QHash<int, shortcut::Value> claims_; // identifier -> combination
    std::vector<Grab> grabs_;            // one per claimed combination
    // Auto-repeat: with detectable auto-repeat a held key sends presses
    // without releases, otherwise release/press pairs with one time stamp.
    std::uint8_t heldKeycode_ = 0;
    std::uint8_t releasedKeycode_ = 0;
    std::uint32_t releasedAt_ = 0;
};

} // namespace qv
