// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The one cut both page scans make, by plain text search: from the quote that
// opens an anchor's address, the address up to `">` and the title up to the
// next `</a>`. The search for `">` starts at the opening quote itself, so that
// `href="">` is an empty address. Both are taken verbatim.
namespace qv::text {

struct Anchor {
    QString address;
    QString title;
};

// Nothing when the address or the title is never closed.
std::optional<Anchor> cutAnchor(const QString& page, qsizetype quote);

} // namespace qv::text
