// SPDX-License-Identifier: GPL-3.0-or-later
// Titles as the lists show them: a page's bytes read as the player reads
// them, decoded for display, and their HTML character references decoded.
#include "fuzzcheck.h"
#include "textfile.h"

#include <algorithm>

using namespace qv::text;

namespace {

bool wellFormed(const QString& text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (text[i].isSurrogate())
            return false;
    }
    return true;
}

void checkDecoding(const QString& text) {
    const QString decoded = decodeReferences(text);
    // A reference is never shorter than what it stands for.
    QV_FUZZ_CHECK(decoded.size() <= text.size());
    if (!text.contains(u'&'))
        QV_FUZZ_CHECK(decoded == text);
    // No reference makes a lone surrogate.
    if (wellFormed(text))
        QV_FUZZ_CHECK(wellFormed(decoded));

    // Written out with every '&' as "&amp;", any text reads back as itself:
    // decoded text is never decoded again.
    QString escaped = text;
    escaped.replace(u'&', QStringLiteral("&amp;"));
    QV_FUZZ_CHECK(decodeReferences(escaped) == text);

    // '<' cannot stand inside a reference: the text on either side of one
    // decodes on its own.
    const qsizetype half = text.size() / 2;
    const QString left = text.left(half);
    const QString right = text.mid(half);
    QV_FUZZ_CHECK(decodeReferences(left + u'<' + right) ==
                  decodeReferences(left) + u'<' + decodeReferences(right));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString holder = fromBytes(qv::fuzz::bytes(data, size));
    checkDecoding(holder);
    checkDecoding(display(holder));
    // Showing leaves the holder as it was.
    const QString before = holder;
    (void)displayTitle(holder);
    QV_FUZZ_CHECK(holder == before);
    QV_FUZZ_CHECK(displayTitle(holder) == decodeReferences(display(holder)));
    return 0;
}
