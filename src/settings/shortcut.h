#pragma once

#include <QKeyCombination>
#include <QString>
#include <cstdint>
#include <span>

// Hotkeys as 16-bit shortcut values: the low 13 bits are the key code (the
// Windows virtual-key numbering the stored files use, e.g. 0x50 for P), bit 13
// Shift, bit 14 Ctrl, bit 15 Alt; 0 is no hotkey. One table maps each key to
// its stored name, Qt key and X11 keysym.
namespace qv::shortcut {

using Value = std::uint16_t;

inline constexpr Value kShift = 0x2000;
inline constexpr Value kCtrl = 0x4000;
inline constexpr Value kAlt = 0x8000;
inline constexpr Value kKeyMask = 0x1FFF;

struct Key {
    Value code;           // virtual-key code
    const char* name;     // stored name ("A", "F5", "PgUp", "Num *", ...)
    int qtKey;            // Qt::Key
    bool keypad;          // Qt reports it with Qt::KeypadModifier
    std::uint32_t keysym; // X11 keysym
};

// Every key that has a name, in ascending key-code order.
std::span<const Key> keys();
const Key* findKey(Value code);

// "Shift+", "Ctrl+", "Alt+" (in this order, each when set) and the key's
// name; empty when the key has no name.
QString toText(Value value);
// Strips "Shift+", "Ctrl+", "^" (Ctrl) and "Alt+" in any order and case, then
// matches the rest against the names in key-code order; 0 when nothing matches.
Value fromText(const QString& text);

// Conversions for the hotkey fields (QKeySequenceEdit) and the X11 grabs.
Value fromKeyCombination(QKeyCombination combination);
QKeyCombination toKeyCombination(Value value);
std::uint32_t keysym(Value value);
// X11 modifier mask: Shift 1, Ctrl 4, Alt (Mod1) 8.
std::uint16_t x11Modifiers(Value value);
// The modifiers as a hotkey press reports them: Alt 1, Ctrl 2, Shift 4.
int hotkeyModifiers(Value value);
// The combination as the desktop's shortcut text: modifiers first, then the
// key's XKB keysym name ("CTRL+ALT+n", "SHIFT+F5", "KP_Add"); empty when the
// key has no name.
QString xdgTrigger(Value value);

} // namespace qv::shortcut
