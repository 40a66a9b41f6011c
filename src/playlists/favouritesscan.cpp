// SPDX-License-Identifier: GPL-3.0-or-later
#include "favouritesscan.h"

#include "anchorcut.h"

#include <algorithm>

namespace qv::favourites {

namespace {
const QString kStart = QStringLiteral("Favorite Audio Submissions");
const QString kItem = QStringLiteral("<li class=\"song\">");
// The characters after the item mark that are skipped unread: on the portal's
// page the start of the link tag up to the quote that opens its address.
constexpr qsizetype kSkipped = 9;
} // namespace

FavouritesScanner::FavouritesScanner(QString page)
    : page_(std::move(page)), cursor_(std::max<qsizetype>(0, page_.indexOf(kStart))) {}

std::optional<Favourite> FavouritesScanner::next() {
    if (done_ || taken_ >= kMaxFavourites)
        return std::nullopt;
    const qsizetype item = page_.indexOf(kItem, cursor_);
    // The last skipped character is taken as the address's opening quote.
    const qsizetype from = item + kItem.size() + kSkipped - 1;
    std::optional<text::Anchor> anchor;
    if (item >= 0)
        anchor = text::cutAnchor(page_, from);
    if (!anchor) {
        done_ = true;
        return std::nullopt;
    }
    ++taken_;
    cursor_ = from;
    return Favourite{std::move(anchor->address), std::move(anchor->title)};
}

bool validLoginName(const QString& name) {
    if (name.isEmpty() || name.size() > 63 || name.startsWith(u'-') || name.endsWith(u'-'))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-');
    });
}

} // namespace qv::favourites
