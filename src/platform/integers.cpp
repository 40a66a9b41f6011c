// SPDX-License-Identifier: GPL-3.0-or-later
#include "integers.h"

#include <limits>

namespace qv::text {

namespace {
int digitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (base == 16 && u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (base == 16 && u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}
} // namespace

std::optional<int> strictInteger(QStringView text, IntegerSyntax syntax) {
    int base = 10;
    qsizetype i = 0;
    bool negative = false;
    if (syntax.hexPrefix && text.size() > 2 && (text.startsWith(u"0x") || text.startsWith(u"0X"))) {
        base = 16;
        i = 2;
    } else if (text.startsWith(u'-')) {
        negative = true;
        i = 1;
    } else if (syntax.plusSign && text.startsWith(u'+')) {
        i = 1;
    }
    if (i == text.size())
        return std::nullopt;
    // Accumulated as a negative number, which reaches one further than a positive one.
    const qint64 limit = negative ? qint64(std::numeric_limits<int>::min())
                                  : -qint64(std::numeric_limits<int>::max());
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const int digit = digitValue(text[i], base);
        if (digit < 0)
            return std::nullopt;
        value = value * base - digit;
        if (value < limit)
            return std::nullopt;
    }
    return static_cast<int>(negative ? value : -value);
}

} // namespace qv::text
