// SPDX-License-Identifier: GPL-3.0-or-later
#include "anchorcut.h"

#include <algorithm>

namespace qv::text {

namespace {
const QString kAddressEnd = QStringLiteral("\">");
const QString kTitleEnd = QStringLiteral("</a>");
} // namespace

std::optional<Anchor> cutAnchor(const QString& page, qsizetype quote) {
    const qsizetype addressEnd = page.indexOf(kAddressEnd, quote);
    const qsizetype titleEnd = addressEnd < 0 ? -1 : page.indexOf(kTitleEnd, addressEnd);
    if (titleEnd < 0)
        return std::nullopt;
    const qsizetype address = quote + 1;
    const qsizetype title = addressEnd + kAddressEnd.size();
    return Anchor{page.mid(address, std::max<qsizetype>(0, addressEnd - address)),
                  page.mid(title, titleEnd - title)};
}

} // namespace qv::text
