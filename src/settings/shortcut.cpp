#include "shortcut.h"

// Only the keysym numbers are taken from the X11 headers (header-only, no
// X11 library is linked).
#define XK_MISCELLANY
#define XK_LATIN1
#include <X11/keysymdef.h>

#include <algorithm>
#include <array>

namespace qv::shortcut {

namespace {

// The key codes are Windows virtual-key codes, the names those the stored
// files use; keypad digits share the main-row names, so a name read back
// gives the main-row code (the first match in code order).
constexpr Key kKeys[] = {
    {0x08, "BkSp", Qt::Key_Backspace, false, XK_BackSpace},
    {0x09, "Tab", Qt::Key_Tab, false, XK_Tab},
    {0x0D, "Enter", Qt::Key_Return, false, XK_Return},
    {0x13, "Pause", Qt::Key_Pause, false, XK_Pause},
    {0x1B, "Esc", Qt::Key_Escape, false, XK_Escape},
    {0x20, "Space", Qt::Key_Space, false, XK_space},
    {0x21, "PgUp", Qt::Key_PageUp, false, XK_Prior},
    {0x22, "PgDn", Qt::Key_PageDown, false, XK_Next},
    {0x23, "End", Qt::Key_End, false, XK_End},
    {0x24, "Home", Qt::Key_Home, false, XK_Home},
    {0x25, "Left", Qt::Key_Left, false, XK_Left},
    {0x26, "Up", Qt::Key_Up, false, XK_Up},
    {0x27, "Right", Qt::Key_Right, false, XK_Right},
    {0x28, "Down", Qt::Key_Down, false, XK_Down},
    {0x2D, "Ins", Qt::Key_Insert, false, XK_Insert},
    {0x2E, "Del", Qt::Key_Delete, false, XK_Delete},
    {0x30, "0", Qt::Key_0, false, XK_0},
    {0x31, "1", Qt::Key_1, false, XK_1},
    {0x32, "2", Qt::Key_2, false, XK_2},
    {0x33, "3", Qt::Key_3, false, XK_3},
    {0x34, "4", Qt::Key_4, false, XK_4},
    {0x35, "5", Qt::Key_5, false, XK_5},
    {0x36, "6", Qt::Key_6, false, XK_6},
    {0x37, "7", Qt::Key_7, false, XK_7},
    {0x38, "8", Qt::Key_8, false, XK_8},
    {0x39, "9", Qt::Key_9, false, XK_9},
    {0x41, "A", Qt::Key_A, false, XK_a},
    {0x42, "B", Qt::Key_B, false, XK_b},
    {0x43, "C", Qt::Key_C, false, XK_c},
    {0x44, "D", Qt::Key_D, false, XK_d},
    {0x45, "E", Qt::Key_E, false, XK_e},
    {0x46, "F", Qt::Key_F, false, XK_f},
    {0x47, "G", Qt::Key_G, false, XK_g},
    {0x48, "H", Qt::Key_H, false, XK_h},
    {0x49, "I", Qt::Key_I, false, XK_i},
    {0x4A, "J", Qt::Key_J, false, XK_j},
    {0x4B, "K", Qt::Key_K, false, XK_k},
    {0x4C, "L", Qt::Key_L, false, XK_l},
    {0x4D, "M", Qt::Key_M, false, XK_m},
    {0x4E, "N", Qt::Key_N, false, XK_n},
    {0x4F, "O", Qt::Key_O, false, XK_o},
    {0x50, "P", Qt::Key_P, false, XK_p},
    {0x51, "Q", Qt::Key_Q, false, XK_q},
    {0x52, "R", Qt::Key_R, false, XK_r},
    {0x53, "S", Qt::Key_S, false, XK_s},
    {0x54, "T", Qt::Key_T, false, XK_t},
    {0x55, "U", Qt::Key_U, false, XK_u},
    {0x56, "V", Qt::Key_V, false, XK_v},
    {0x57, "W", Qt::Key_W, false, XK_w},
    {0x58, "X", Qt::Key_X, false, XK_x},
    {0x59, "Y", Qt::Key_Y, false, XK_y},
    {0x5A, "Z", Qt::Key_Z, false, XK_z},
    {0x60, "0", Qt::Key_0, true, XK_KP_0},
    {0x61, "1", Qt::Key_1, true, XK_KP_1},
    {0x62, "2", Qt::Key_2, true, XK_KP_2},
    {0x63, "3", Qt::Key_3, true, XK_KP_3},
    {0x64, "4", Qt::Key_4, true, XK_KP_4},
    {0x65, "5", Qt::Key_5, true, XK_KP_5},
    {0x66, "6", Qt::Key_6, true, XK_KP_6},
    {0x67, "7", Qt::Key_7, true, XK_KP_7},
    {0x68, "8", Qt::Key_8, true, XK_KP_8},
    {0x69, "9", Qt::Key_9, true, XK_KP_9},
    {0x6A, "Num *", Qt::Key_Asterisk, true, XK_KP_Multiply},
    {0x6B, "Num +", Qt::Key_Plus, true, XK_KP_Add},
    {0x6D, "Num -", Qt::Key_Minus, true, XK_KP_Subtract},
    {0x6E, "Num Del", Qt::Key_Period, true, XK_KP_Decimal},
    {0x6F, "Num /", Qt::Key_Slash, true, XK_KP_Divide},
    {0x70, "F1", Qt::Key_F1, false, XK_F1},
    {0x71, "F2", Qt::Key_F2, false, XK_F2},
    {0x72, "F3", Qt::Key_F3, false, XK_F3},
    {0x73, "F4", Qt::Key_F4, false, XK_F4},
    {0x74, "F5", Qt::Key_F5, false, XK_F5},
    {0x75, "F6", Qt::Key_F6, false, XK_F6},
    {0x76, "F7", Qt::Key_F7, false, XK_F7},
    {0x77, "F8", Qt::Key_F8, false, XK_F8},
    {0x78, "F9", Qt::Key_F9, false, XK_F9},
    {0x79, "F10", Qt::Key_F10, false, XK_F10},
    {0x7A, "F11", Qt::Key_F11, false, XK_F11},
    {0x7B, "F12", Qt::Key_F12, false, XK_F12},
    {0x7C, "F13", Qt::Key_F13, false, XK_F13},
    {0x7D, "F14", Qt::Key_F14, false, XK_F14},
    {0x7E, "F15", Qt::Key_F15, false, XK_F15},
    {0x7F, "F16", Qt::Key_F16, false, XK_F16},
    {0x80, "F17", Qt::Key_F17, false, XK_F17},
    {0x81, "F18", Qt::Key_F18, false, XK_F18},
    {0x82, "F19", Qt::Key_F19, false, XK_F19},
    {0x83, "F20", Qt::Key_F20, false, XK_F20},
    {0x84, "F21", Qt::Key_F21, false, XK_F21},
    {0x85, "F22", Qt::Key_F22, false, XK_F22},
    {0x86, "F23", Qt::Key_F23, false, XK_F23},
    {0x87, "F24", Qt::Key_F24, false, XK_F24},
    {0xBA, ";", Qt::Key_Semicolon, false, XK_semicolon},
    {0xBB, "=", Qt::Key_Equal, false, XK_equal},
    {0xBC, ",", Qt::Key_Comma, false, XK_comma},
    {0xBD, "-", Qt::Key_Minus, false, XK_minus},
    {0xBE, ".", Qt::Key_Period, false, XK_period},
    {0xBF, "/", Qt::Key_Slash, false, XK_slash},
    {0xC0, "`", Qt::Key_QuoteLeft, false, XK_grave},
    {0xDB, "[", Qt::Key_BracketLeft, false, XK_bracketleft},
    {0xDC, "\\", Qt::Key_Backslash, false, XK_backslash},
    {0xDD, "]", Qt::Key_BracketRight, false, XK_bracketright},
    {0xDE, "'", Qt::Key_Apostrophe, false, XK_apostrophe},
};

struct Alias {
    int qtKey;
    Value code;
};

// Qt reports a shifted key by the character it produces (Shift+1 is
// Key_Exclam); on a US layout these are the keys that produce them.
constexpr Alias kShiftedKeys[] = {
    {Qt::Key_Backtab, 0x09},     {Qt::Key_Exclam, 0x31},     {Qt::Key_At, 0x32},
    {Qt::Key_NumberSign, 0x33},  {Qt::Key_Dollar, 0x34},     {Qt::Key_Percent, 0x35},
    {Qt::Key_AsciiCircum, 0x36}, {Qt::Key_Ampersand, 0x37},  {Qt::Key_Asterisk, 0x38},
    {Qt::Key_ParenLeft, 0x39},   {Qt::Key_ParenRight, 0x30}, {Qt::Key_Colon, 0xBA},
    {Qt::Key_Plus, 0xBB},        {Qt::Key_Less, 0xBC},       {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Greater, 0xBE},     {Qt::Key_Question, 0xBF},   {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BraceLeft, 0xDB},   {Qt::Key_Bar, 0xDC},        {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_QuoteDbl, 0xDE},
};

const Key* findQtKey(int qtKey, bool keypad) {
    const auto* it = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const Key& k) {
        return k.qtKey == qtKey && k.keypad == keypad;
    });
    return it == std::end(kKeys) ? nullptr : it;
}

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

struct Prefix {
    QLatin1StringView text;
    Value modifier;
};

constexpr std::array kPrefixes{
    Prefix{QLatin1StringView("Shift+"), kShift},
    Prefix{QLatin1StringView("Ctrl+"), kCtrl},
    Prefix{QLatin1StringView("^"), kCtrl},
    Prefix{QLatin1StringView("Alt+"), kAlt},
};

} // namespace

std::span<const Key> keys() {
    return kKeys;
}

const Key* findKey(Value code) {
    const auto* it = std::find_if(std::begin(kKeys), std::end(kKeys),
                                  [code](const Key& k) { return k.code == code; });
    return it == std::end(kKeys) ? nullptr : it;
}

QString toText(Value value) {
    const Key* key = findKey(value & kKeyMask);
    if (!key)
        return {};
    QString text;
    if (value & kShift)
        text += QLatin1StringView("Shift+");
    if (value & kCtrl)
        text += QLatin1StringView("Ctrl+");
    if (value & kAlt)
        text += QLatin1StringView("Alt+");
    return text + QLatin1StringView(key->name);
}

Value fromText(const QString& text) {
    QStringView rest(text);
    Value modifiers = 0;
    for (bool stripped = true; stripped;) {
        stripped = false;
        for (const Prefix& p : kPrefixes) {
            if (rest.startsWith(p.text, Qt::CaseInsensitive)) {
                rest = rest.mid(p.text.size());
                modifiers |= p.modifier;
                stripped = true;
            }
        }
    }
    if (rest.isEmpty())
        return 0;
    for (const Key& k : kKeys) {
        if (rest.compare(QLatin1StringView(k.name), Qt::CaseInsensitive) == 0)
            return static_cast<Value>(k.code | modifiers);
    }
    return 0;
}

Value fromKeyCombination(QKeyCombination combination) {
    const int qtKey = combination.key();
    const Qt::KeyboardModifiers mods = combination.keyboardModifiers();
    const bool keypad = mods.testFlag(Qt::KeypadModifier);

    Value code = 0;
    if (const Key* k = findQtKey(qtKey, keypad))
        code = k->code;
    // The keypad's navigation keys and Enter act as the main ones.
    else if (const Key* main = keypad ? findQtKey(qtKey, false) : nullptr)
        code = main->code;
    else if (qtKey == Qt::Key_Enter)
        code = 0x0D;
    else if (mods.testFlag(Qt::ShiftModifier)) {
        for (const Alias& a : kShiftedKeys) {
            if (a.qtKey == qtKey)
                code = a.code;
        }
    }
    if (code == 0)
        return 0;

    if (mods.testFlag(Qt::ShiftModifier))
        code |= kShift;
    if (mods.testFlag(Qt::ControlModifier))
        code |= kCtrl;
    if (mods.testFlag(Qt::AltModifier))
        code |= kAlt;
    return code;
}

QKeyCombination toKeyCombination(Value value) {
    const Key* key = findKey(value & kKeyMask);
    if (!key)
        return QKeyCombination();
    Qt::KeyboardModifiers mods;
    if (value & kShift)
        mods |= Qt::ShiftModifier;
    if (value & kCtrl)
        mods |= Qt::ControlModifier;
    if (value & kAlt)
        mods |= Qt::AltModifier;
    if (key->keypad)
        mods |= Qt::KeypadModifier;
    return QKeyCombination(mods, static_cast<Qt::Key>(key->qtKey));
}

std::uint32_t keysym(Value value) {
    const Key* key = findKey(value & kKeyMask);
    return key ? key->keysym : 0;
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

int hotkeyModifiers(Value value) {
    return ((value & kAlt) ? 1 : 0) | ((value & kCtrl) ? 2 : 0) | ((value & kShift) ? 4 : 0);
}

QString xdgTrigger(Value value) {
    const Key* key = findKey(value & kKeyMask);
    const QString name = key ? keysymName(key->keysym) : QString();
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
