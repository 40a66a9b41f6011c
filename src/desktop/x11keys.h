// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The hotkeys' keys as the desktop names them: X11 keysyms and modifier masks
// for the grabs, XKB keysym names for the desktop portal's shortcut text.
#include "shortcut.h"

#include <QString>
#include <cstdint>

namespace qv::shortcut {

// The key's X11 keysym; 0 when the key has no name.
std::uint32_t keysym(Value value);
// X11 modifier mask: Shift 1, Ctrl 4, Alt (Mod1) 8.
std::uint16_t x11Modifiers(Value value);
// The combination as the desktop's shortcut text: modifiers first, then the
// key's XKB keysym name ("CTRL+ALT+n", "SHIFT+F5", "KP_Add"); empty when the
// key has no name.
QString xdgTrigger(Value value);

} // namespace qv::shortcut
