// SPDX-License-Identifier: GPL-3.0-or-later
#include "globalhotkeys.h"

#include "x11keys.h"

#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

#include <X11/keysym.h>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

// The grabs stay on the keys the keyboard map named when they were made; a
// changed map (MappingNotify) takes effect when a combination is claimed again.

namespace qv {
namespace {

// The modifiers a combination consists of; the lock keys do not count.
constexpr std::uint16_t kComboModifiers =
    XCB_MOD_MASK_SHIFT | XCB_MOD_MASK_CONTROL | XCB_MOD_MASK_1;

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using Malloced = std::unique_ptr<T, FreeDeleter>;

struct KeySymbolsDeleter {
    void operator()(xcb_key_symbols_t* s) const { xcb_key_symbols_free(s); }
};

std::vector<xcb_keycode_t> keycodesFor(xcb_key_symbols_t* symbols, xcb_keysym_t keysym) {
    std::vector<xcb_keycode_t> result;
    const Malloced<xcb_keycode_t> codes(xcb_key_symbols_get_keycode(symbols, keysym));
    for (const xcb_keycode_t* c = codes.get(); c && *c != XCB_NO_SYMBOL; ++c) {
        if (std::ranges::find(result, *c) == result.end())
            result.push_back(*c);
    }
    return result;
}

// The modifier bit the NumLock key sets; Mod2 on nearly every keyboard map.
std::uint16_t numLockMask(xcb_connection_t* connection, xcb_key_symbols_t* symbols) {
    const std::vector<xcb_keycode_t> numLock = keycodesFor(symbols, XK_Num_Lock);
    const Malloced<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(connection, xcb_get_modifier_mapping(connection), nullptr));
    if (!map || numLock.empty() || map->keycodes_per_modifier == 0)
        return XCB_MOD_MASK_2;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int count = xcb_get_modifier_mapping_keycodes_length(map.get());
    for (int i = 0; i < count && i / map->keycodes_per_modifier < 8; ++i) {
        if (std::ranges::find(numLock, codes[i]) != numLock.end())
            return static_cast<std::uint16_t>(1u << (i / map->keycodes_per_modifier));
    }
    return XCB_MOD_MASK_2;
}

} // namespace

GlobalHotkeys::GlobalHotkeys(QObject* parent) : HotkeyRoute(parent) {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (!x11 || !x11->connection())
        return;
    connection_ = x11->connection();

    // The screen DISPLAY names, as Qt's connection chose it.
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen))
        std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
        if (i == 0 || i == screen)
            root_ = it.data->root;
    }
    qGuiApp->installNativeEventFilter(this);
}

GlobalHotkeys::~GlobalHotkeys() {
    // Without the application its connection is closed, and the grabs went with it.
    if (!connection_ || !qGuiApp)
        return;
    qGuiApp->removeNativeEventFilter(this);
    while (!grabs_.empty()) {
        const Grab g = std::move(grabs_.back());
        grabs_.pop_back();
        release(g);
    }
}

bool GlobalHotkeys::available() const {
    return connection_ != nullptr;
}

HotkeyRoute::Status GlobalHotkeys::status() const {
    return available() ? Status::Working : Status::Unavailable;
}

bool GlobalHotkeys::registerHotkey(int id, shortcut::Value value) {
    unregisterHotkey(id);
    if (!connection_ || value == 0)
        return false;
    // The X server keeps one grab per client and combination: a second claim
    // only counts, so withdrawing one claim leaves the other working.
    if (const auto it = std::ranges::find(grabs_, value, &Grab::value); it != grabs_.end()) {
        ++it->users;
        claims_.insert(id, value);
        return true;
    }
    Grab g{.value = value, .modifiers = shortcut::x11Modifiers(value), .keys = {}, .users = 1};
    if (!grab(g)) {
        qCDebug(lcHotkeys) << "X11 grab of" << shortcut::toText(value)
                           << "failed: no key for it, or another program holds it";
        return false;
    }
    grabs_.push_back(std::move(g));
    claims_.insert(id, value);
    return true;
}

void GlobalHotkeys::unregisterHotkey(int id) {
    const auto claim = claims_.constFind(id);
    if (claim == claims_.cend())
        return;
    const auto it = std::ranges::find(grabs_, claim.value(), &Grab::value);
    claims_.erase(claim);
    if (it == grabs_.end() || --it->users > 0)
        return;
    const Grab g = std::move(*it);
    grabs_.erase(it);
    release(g);
}

bool GlobalHotkeys::grab(Grab& g) {
    const xcb_keysym_t keysym = shortcut::keysym(g.value);
    if (keysym == 0)
        return false;
    const std::unique_ptr<xcb_key_symbols_t, KeySymbolsDeleter> symbols(
        xcb_key_symbols_alloc(connection_));
    if (!symbols)
        return false;
    const std::vector<xcb_keycode_t> keycodes = keycodesFor(symbols.get(), keysym);
    if (keycodes.empty())
        return false;

    // To X the lock keys are modifiers too: without these variants the
    // combination would do nothing while NumLock or CapsLock is on.
    const std::uint16_t numLock = numLockMask(connection_, symbols.get());
    std::vector<std::uint16_t> masks;
    for (const std::uint16_t locks : {std::uint16_t{0}, numLock, std::uint16_t{XCB_MOD_MASK_LOCK},
                                      static_cast<std::uint16_t>(numLock | XCB_MOD_MASK_LOCK)}) {
        const auto mask = static_cast<std::uint16_t>(g.modifiers | locks);
        if (std::ranges::find(masks, mask) == masks.end())
            masks.push_back(mask);
    }

    std::vector<std::pair<KeyGrab, xcb_void_cookie_t>> requests;
    for (const xcb_keycode_t keycode : keycodes) {
        for (const std::uint16_t mask : masks) {
            requests.emplace_back(KeyGrab{keycode, mask},
                                  xcb_grab_key_checked(connection_, 0, root_, mask, keycode,
                                                       XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        }
    }
    // Checked requests keep the errors (BadAccess: another client holds the
    // combination) away from Qt's event queue and its error handler.
    bool granted = true;
    for (const auto& [key, cookie] : requests) {
        if (const Malloced<xcb_generic_error_t> error(xcb_request_check(connection_, cookie));
            error)
            granted = false;
        else
            g.keys.push_back(key);
    }
    if (!granted) {
        // Half a combination would fire in some lock states and not in others.
        release(g);
        g.keys.clear();
    }
    return granted;
}

void GlobalHotkeys::release(const Grab& g) {
    for (const KeyGrab& key : g.keys) {
        const bool shared = std::ranges::any_of(grabs_, [&](const Grab& other) {
            return &other != &g && std::ranges::find(other.keys, key) != other.keys.end();
        });
        if (shared)
            continue;
        // An ungrab on the root window has nothing to fail on; should it
        // fail anyway, its error is dropped rather than handed to Qt.
        xcb_discard_reply(
            connection_,
            xcb_ungrab_key_checked(connection_, key.keycode, root_, key.mask).sequence);
    }
    xcb_flush(connection_);
}

bool GlobalHotkeys::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t" || grabs_.empty())
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    const int type = event->response_type & ~0x80;

    if (type == XCB_KEY_RELEASE) {
        const auto* release = static_cast<const xcb_key_release_event_t*>(message);
        if (release->detail == heldKeycode_) {
            heldKeycode_ = 0;
            releasedKeycode_ = release->detail;
            releasedAt_ = release->time;
        }
        return false;
    }
    if (type != XCB_KEY_PRESS)
        return false;

    const auto* press = static_cast<const xcb_key_press_event_t*>(message);
    const auto modifiers = static_cast<std::uint16_t>(press->state & kComboModifiers);
    const auto it = std::ranges::find_if(grabs_, [&](const Grab& g) {
        return g.modifiers == modifiers && std::ranges::any_of(g.keys, [&](const KeyGrab& k) {
                   return k.keycode == press->detail;
               });
    });
    if (it == grabs_.end())
        return false;

    // A held combination acts once.
    const bool repeat = press->detail == heldKeycode_ ||
                        (press->detail == releasedKeycode_ && press->time == releasedAt_);
    heldKeycode_ = press->detail;
    if (!repeat) {
        // Last: a receiver may delete this object.
        emit hotkeyPressed(it->value);
    }
    return true;
}

} // namespace qv
