// SPDX-License-Identifier: GPL-3.0-or-later
#include "x11keys.h"

// Only the keysym numbers are taken from the X11 headers (header-only, no
// X11 library is linked).
#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

#include <algorithm>
#include <iterator>

namespace qv::shortcut {

namespace {

struct Keysym {
    Value code;
    std::uint32_t keysym;
};

// Every key of the shortcut table by its virtual-key code, in the same order.
constexpr Keysym kKeysyms[] = {
    {0x08, XK_BackSpace},
    {0x09, XK_Tab},
    {0x0D, XK_Return},
    {0x13, XK_Pause},
    {0x1B, XK_Escape},
    {0x20, XK_space},
    {0x21, XK_Prior},
    {0x22, XK_Next},
    {0x23, XK_End},
    {0x24, XK_Home},
    {0x25, XK_Left},
    {0x26, XK_Up},
    {0x27, XK_Right},
    {0x28, XK_Down},
    {0x2D, XK_Insert},
    {0x2E, XK_Delete},
    {0x30, XK_0},
    {0x31, XK_1},
    {0x32, XK_2},
    {0x33, XK_3},
    {0x34, XK_4},
    {0x35, XK_5},
    {0x36, XK_6},
    {0x37, XK_7},
    {0x38, XK_8},
    {0x39, XK_9},
    {0x41, XK_a},
    {0x42, XK_b},
    {0x43, XK_c},
    {0x44, XK_d},
    {0x45, XK_e},
    {0x46, XK_f},
    {0x47, XK_g},
    {0x48, XK_h},
    {0x49, XK_i},
    {0x4A, XK_j},
    {0x4B, XK_k},
    {0x4C, XK_l},
    {0x4D, XK_m},
    {0x4E, XK_n},
    {0x4F, XK_o},
    {0x50, XK_p},
    {0x51, XK_q},
    {0x52, XK_r},
    {0x53, XK_s},
    {0x54, XK_t},
    {0x55, XK_u},
    {0x56, XK_v},
    {0x57, XK_w},
    {0x58, XK_x},
    {0x59, XK_y},
    {0x5A, XK_z},
    {0x60, XK_KP_0},
    {0x61, XK_KP_1},
    {0x62, XK_KP_2},
    {0x63, XK_KP_3},
    {0x64, XK_KP_4},
    {0x65, XK_KP_5},
    {0x66, XK_KP_6},
    {0x67, XK_KP_7},
    {0x68, XK_KP_8},
    {0x69, XK_KP_9},
    {0x6A, XK_KP_Multiply},
    {0x6B, XK_KP_Add},
    {0x6D, XK_KP_Subtract},
    {0x6E, XK_KP_Decimal},
    {0x6F, XK_KP_Divide},
    {0x70, XK_F1},
    {0x71, XK_F2},
    {0x72, XK_F3},
    {0x73, XK_F4},
    {0x74, XK_F5},
    {0x75, XK_F6},
    {0x76, XK_F7},
    {0x77, XK_F8},
    {0x78, XK_F9},
    {0x79, XK_F10},
    {0x7A, XK_F11},
    {0x7B, XK_F12},
    {0x7C, XK_F13},
    {0x7D, XK_F14},
    {0x7E, XK_F15},
    {0x7F, XK_F16},
    {0x80, XK_F17},
    {0x81, XK_F18},
    {0x82, XK_F19},
    {0x83, XK_F20},
    {0x84, XK_F21},
    {0x85, XK_F22},
    {0x86, XK_F23},
    {0x87, XK_F24},
    {0xBA, XK_semicolon},
    {0xBB, XK_equal},
    {0xBC, XK_comma},
    {0xBD, XK_minus},
    {0xBE, XK_period},
    {0xBF, XK_slash},
    {0xC0, XK_grave},
    {0xDB, XK_bracketleft},
    {0xDC, XK_backslash},
    {0xDD, XK_bracketright},
    {0xDE, XK_apostrophe},
};

// XKB keysym names of the keys whose name is not their character.
struct KeysymName {
    std::uint32_t keysym;
    const char* name;
};
constexpr KeysymName kKeysymNames[] = {
    {XK_BackSpace, "BackSpace"},
    {XK_Tab, "Tab"},
    {XK_Return, "Return"},
    {XK_Pause, "Pause"},
    {XK_Escape, "Escape"},
    {XK_space, "space"},
    {XK_Prior, "Page_Up"},
    {XK_Next, "Page_Down"},
    {XK_End, "End"},
    {XK_Home, "Home"},
    {XK_Left, "Left"},
    {XK_Up, "Up"},
    {XK_Right, "Right"},
    {XK_Down, "Down"},
    {XK_Insert, "Insert"},
    {XK_Delete, "Delete"},
    {XK_KP_Multiply, "KP_Multiply"},
    {XK_KP_Add, "KP_Add"},
    {XK_KP_Subtract, "KP_Subtract"},
    {XK_KP_Decimal, "KP_Decimal"},
    {XK_KP_Divide, "KP_Divide"},
    {XK_semicolon, "semicolon"},
    {XK_equal, "equal"},
    {XK_comma, "comma"},
    {XK_minus, "minus"},
    {XK_period, "period"},
    {XK_slash, "slash"},
    {XK_grave, "grave"},
    {XK_bracketleft, "bracketleft"},
    {XK_backslash, "backslash"},
    {XK_bracketright, "bracketright"},
    {XK_apostrophe, "apostrophe"},
};

QString keysymName(std::uint32_t keysym) {
    if ((keysym >= XK_a && keysym <= XK_z) || (keysym >= XK_0 && keysym <= XK_9))
        return QString(QChar(static_cast<char16_t>(keysym)));
    if (keysym >= XK_F1 && keysym <= XK_F24)
        return QStringLiteral("F%1").arg(keysym - XK_F1 + 1);
    if (keysym >= XK_KP_0 && keysym <= XK_KP_9)
        return QStringLiteral("KP_%1").arg(keysym - XK_KP_0);
    for (const KeysymName& k : kKeysymNames) {
        if (k.keysym == keysym)
            return QLatin1StringView(k.name);
    }
    return {};
}

} // namespace

std::uint32_t keysym(Value value) {
    const Value code = value & kKeyMask;
    const auto* it = std::find_if(std::begin(kKeysyms), std::end(kKeysyms),
                                  [code](const Keysym& k) { return k.code == code; });
    return it == std::end(kKeysyms) ? 0 : it->keysym;
}

std::uint16_t x11Modifiers(Value value) {
    std::uint16_t mask = 0;
    if (value & kShift)
        mask |= 1; // ShiftMask
    if (value & kCtrl)
        mask |= 4; // ControlMask
    if (value & kAlt)
        mask |= 8; // Mod1Mask
    return mask;
}

QString xdgTrigger(Value value) {
    const QString name = keysymName(keysym(value));
    if (name.isEmpty())
        return {};
    QString text;
    if (value & kCtrl)
        text += QLatin1StringView("CTRL+");
    if (value & kAlt)
        text += QLatin1StringView("ALT+");
    if (value & kShift)
        text += QLatin1StringView("SHIFT+");
    return text + name;
}

} // namespace qv::shortcut
