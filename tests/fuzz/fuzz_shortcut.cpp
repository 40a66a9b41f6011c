// SPDX-License-Identifier: GPL-3.0-or-later
// The hotkey text as settings.ini holds it (UTF-8), and the shortcut values
// and key combinations the input's first bytes make.
#include "fuzzcheck.h"
#include "shortcut.h"
#include "x11keys.h"

#include <algorithm>

using namespace qv::shortcut;

namespace {

bool isAscii(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.unicode() < 128; });
}

// A value with a named key survives its text (keypad digits share their
// names with the main row and come back as those), its key combination and
// its keysym; a value without one has none of them.
void checkValue(Value value) {
    const Key* key = findKey(value & kKeyMask);
    const QString text = toText(value);
    if (!key) {
        QV_FUZZ_CHECK(text.isEmpty());
        QV_FUZZ_CHECK(keysym(value) == 0);
        QV_FUZZ_CHECK(toKeyCombination(value) == QKeyCombination());
        return;
    }
    QV_FUZZ_CHECK(!text.isEmpty());
    const Value back = fromText(text);
    QV_FUZZ_CHECK((back & ~kKeyMask) == (value & ~kKeyMask));
    const Key* backKey = findKey(back & kKeyMask);
    QV_FUZZ_CHECK(backKey && qstrcmp(backKey->name, key->name) == 0);
    QV_FUZZ_CHECK(toText(back) == text);
    QV_FUZZ_CHECK(keysym(value) == keysym(key->code) && keysym(value) != 0);
    QV_FUZZ_CHECK(fromKeyCombination(toKeyCombination(value)) == value);
    const std::uint16_t x11 = x11Modifiers(value);
    QV_FUZZ_CHECK(bool(x11 & 1) == bool(value & kShift) && bool(x11 & 4) == bool(value & kCtrl) &&
                  bool(x11 & 8) == bool(value & kAlt) && (x11 & ~13) == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(qv::fuzz::bytes(data, size));
    const Value value = fromText(text);
    // Whatever parses names a key and reads back from its own text.
    QV_FUZZ_CHECK(value == 0 || findKey(value & kKeyMask));
    if (value != 0)
        QV_FUZZ_CHECK(fromText(toText(value)) == value);
    // Prefixes and names match in any letter case.
    if (isAscii(text)) {
        QV_FUZZ_CHECK(fromText(text.toLower()) == value);
        QV_FUZZ_CHECK(fromText(text.toUpper()) == value);
    }
    checkValue(value);

    if (size >= 2) {
        checkValue(Value(data[0] << 8 | data[1]));
    }
    // A key combination from the input: what it gives names a key and keeps
    // the combination's Shift, Ctrl and Alt.
    if (size >= 8) {
        int qtKey = 0;
        int mods = 0;
        for (int i = 0; i < 4; ++i) {
            qtKey = int(unsigned(qtKey) << 8 | data[i]);
            mods = int(unsigned(mods) << 8 | data[4 + i]);
        }
        const QKeyCombination combination(
            Qt::KeyboardModifiers::fromInt(mods & Qt::KeyboardModifierMask),
            Qt::Key(qtKey & ~Qt::KeyboardModifierMask));
        const Qt::KeyboardModifiers modifiers = combination.keyboardModifiers();
        const Value fromKeys = fromKeyCombination(combination);
        if (fromKeys != 0) {
            QV_FUZZ_CHECK(findKey(fromKeys & kKeyMask));
            QV_FUZZ_CHECK(bool(fromKeys & kShift) == modifiers.testFlag(Qt::ShiftModifier));
            QV_FUZZ_CHECK(bool(fromKeys & kCtrl) == modifiers.testFlag(Qt::ControlModifier));
            QV_FUZZ_CHECK(bool(fromKeys & kAlt) == modifiers.testFlag(Qt::AltModifier));
        }
    }
    return 0;
}
