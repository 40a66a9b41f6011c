// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QKeyCombination>
#include <QString>
#include <cstdint>
#include <span>

// Hotkeys as 16-bit shortcut values: the low 13 bits are the key code (the
// Windows virtual-key numbering the stored files use, e.g. 0x50 for P), bit 13
// Shift, bit 14 Ctrl, bit 15 Alt; 0 is no hotkey. One table maps each key to
// its stored name and Qt key; the desktop's names for them are in x11keys.h.
namespace qv::shortcut {

using Value = std::uint16_t;

inline constexpr Value kShift = 0x2000;
inline constexpr Value kCtrl = 0x4000;
inline constexpr Value kAlt = 0x8000;
inline constexpr Value kKeyMask = 0x1FFF;

struct Key {
    Value code;       // virtual-key code
    const char* name; // stored name ("A", "F5", "PgUp", "Num *", ...)
    int qtKey;        // Qt::Key
    bool keypad;      // Qt reports it with Qt::KeypadModifier
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

// Conversions for the hotkey fields (QKeySequenceEdit).
Value fromKeyCombination(QKeyCombination combination);
QKeyCombination toKeyCombination(Value value);

} // namespace qv::shortcut
