// SPDX-License-Identifier: GPL-3.0-or-later
#include "shortcut.h"

#include <algorithm>
#include <array>

namespace qv::shortcut {

namespace {

// The key codes are Windows virtual-key codes, the names those the stored
// files use; keypad digits share the main-row names, so a name read back
// gives the main-row code (the first match in code order).
constexpr Key kKeys[] = {
    {0x08, "BkSp", Qt::Key_Backspace, false},
    {0x09, "Tab", Qt::Key_Tab, false},
    {0x0D, "Enter", Qt::Key_Return, false},
    {0x13, "Pause", Qt::Key_Pause, false},
    {0x1B, "Esc", Qt::Key_Escape, false},
    {0x20, "Space", Qt::Key_Space, false},
    {0x21, "PgUp", Qt::Key_PageUp, false},
    {0x22, "PgDn", Qt::Key_PageDown, false},
    {0x23, "End", Qt::Key_End, false},
    {0x24, "Home", Qt::Key_Home, false},
    {0x25, "Left", Qt::Key_Left, false},
    {0x26, "Up", Qt::Key_Up, false},
    {0x27, "Right", Qt::Key_Right, false},
    {0x28, "Down", Qt::Key_Down, false},
    {0x2D, "Ins", Qt::Key_Insert, false},
    {0x2E, "Del", Qt::Key_Delete, false},
    {0x30, "0", Qt::Key_0, false},
    {0x31, "1", Qt::Key_1, false},
    {0x32, "2", Qt::Key_2, false},
    {0x33, "3", Qt::Key_3, false},
    {0x34, "4", Qt::Key_4, false},
    {0x35, "5", Qt::Key_5, false},
    {0x36, "6", Qt::Key_6, false},
    {0x37, "7", Qt::Key_7, false},
    {0x38, "8", Qt::Key_8, false},
    {0x39, "9", Qt::Key_9, false},
    {0x41, "A", Qt::Key_A, false},
    {0x42, "B", Qt::Key_B, false},
    {0x43, "C", Qt::Key_C, false},
    {0x44, "D", Qt::Key_D, false},
    {0x45, "E", Qt::Key_E, false},
    {0x46, "F", Qt::Key_F, false},
    {0x47, "G", Qt::Key_G, false},
    {0x48, "H", Qt::Key_H, false},
    {0x49, "I", Qt::Key_I, false},
    {0x4A, "J", Qt::Key_J, false},
    {0x4B, "K", Qt::Key_K, false},
    {0x4C, "L", Qt::Key_L, false},
    {0x4D, "M", Qt::Key_M, false},
    {0x4E, "N", Qt::Key_N, false},
    {0x4F, "O", Qt::Key_O, false},
    {0x50, "P", Qt::Key_P, false},
    {0x51, "Q", Qt::Key_Q, false},
    {0x52, "R", Qt::Key_R, false},
    {0x53, "S", Qt::Key_S, false},
    {0x54, "T", Qt::Key_T, false},
    {0x55, "U", Qt::Key_U, false},
    {0x56, "V", Qt::Key_V, false},
    {0x57, "W", Qt::Key_W, false},
    {0x58, "X", Qt::Key_X, false},
    {0x59, "Y", Qt::Key_Y, false},
    {0x5A, "Z", Qt::Key_Z, false},
    {0x60, "0", Qt::Key_0, true},
    {0x61, "1", Qt::Key_1, true},
    {0x62, "2", Qt::Key_2, true},
    {0x63, "3", Qt::Key_3, true},
    {0x64, "4", Qt::Key_4, true},
    {0x65, "5", Qt::Key_5, true},
    {0x66, "6", Qt::Key_6, true},
    {0x67, "7", Qt::Key_7, true},
    {0x68, "8", Qt::Key_8, true},
    {0x69, "9", Qt::Key_9, true},
    {0x6A, "Num *", Qt::Key_Asterisk, true},
    {0x6B, "Num +", Qt::Key_Plus, true},
    {0x6D, "Num -", Qt::Key_Minus, true},
    {0x6E, "Num Del", Qt::Key_Period, true},
    {0x6F, "Num /", Qt::Key_Slash, true},
    {0x70, "F1", Qt::Key_F1, false},
    {0x71, "F2", Qt::Key_F2, false},
    {0x72, "F3", Qt::Key_F3, false},
    {0x73, "F4", Qt::Key_F4, false},
    {0x74, "F5", Qt::Key_F5, false},
    {0x75, "F6", Qt::Key_F6, false},
    {0x76, "F7", Qt::Key_F7, false},
    {0x77, "F8", Qt::Key_F8, false},
    {0x78, "F9", Qt::Key_F9, false},
    {0x79, "F10", Qt::Key_F10, false},
    {0x7A, "F11", Qt::Key_F11, false},
    {0x7B, "F12", Qt::Key_F12, false},
    {0x7C, "F13", Qt::Key_F13, false},
    {0x7D, "F14", Qt::Key_F14, false},
    {0x7E, "F15", Qt::Key_F15, false},
    {0x7F, "F16", Qt::Key_F16, false},
    {0x80, "F17", Qt::Key_F17, false},
    {0x81, "F18", Qt::Key_F18, false},
    {0x82, "F19", Qt::Key_F19, false},
    {0x83, "F20", Qt::Key_F20, false},
    {0x84, "F21", Qt::Key_F21, false},
    {0x85, "F22", Qt::Key_F22, false},
    {0x86, "F23", Qt::Key_F23, false},
    {0x87, "F24", Qt::Key_F24, false},
    {0xBA, ";", Qt::Key_Semicolon, false},
    {0xBB, "=", Qt::Key_Equal, false},
    {0xBC, ",", Qt::Key_Comma, false},
    {0xBD, "-", Qt::Key_Minus, false},
    {0xBE, ".", Qt::Key_Period, false},
    {0xBF, "/", Qt::Key_Slash, false},
    {0xC0, "`", Qt::Key_QuoteLeft, false},
    {0xDB, "[", Qt::Key_BracketLeft, false},
    {0xDC, "\\", Qt::Key_Backslash, false},
    {0xDD, "]", Qt::Key_BracketRight, false},
    {0xDE, "'", Qt::Key_Apostrophe, false},
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

} // namespace qv::shortcut
