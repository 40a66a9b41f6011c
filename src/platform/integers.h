// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringView>
#include <optional>

namespace qv::text {

// What a whole number may be written as, besides digits and a leading '-'.
struct IntegerSyntax {
    bool plusSign = false;  // a leading '+'
    bool hexPrefix = false; // "0x" or "0X" and hexadecimal digits, no sign
};

// The one strict parser of whole numbers: the whole text must be the number,
// in int's range, with no blanks; nothing otherwise.
std::optional<int> strictInteger(QStringView text, IntegerSyntax syntax = {});

} // namespace qv::text
