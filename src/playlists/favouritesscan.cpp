#include "favouritesscan.h"

#include <algorithm>

namespace qv::favourites {

namespace {
const QString kStart = QStringLiteral("Favorite Audio Submissions");
const QString kItem = QStringLiteral("<li class=\"song\">");
// The characters after the item mark that are skipped unread: on the portal's
// page the start of the link tag up to the quote that opens its address.
constexpr qsizetype kSkipped = 9;
const QString kAddressEnd = QStringLiteral("\">");
const QString kTitleEnd = QStringLiteral("</a>");
} // namespace

FavouritesScanner::FavouritesScanner(QString page)
    : page_(std::move(page)), cursor_(std::max<qsizetype>(0, page_.indexOf(kStart))) {}

std::optional<Favourite> FavouritesScanner::next() {
    if (done_ || taken_ >= kMaxFavourites)
        return std::nullopt;
    const qsizetype item = page_.indexOf(kItem, cursor_);
    // The address end is searched from the last skipped character on, so
    // that an empty address (`href="">`) still closes.
    const qsizetype from = item + kItem.size() + kSkipped - 1;
    const qsizetype addressEnd = item < 0 ? -1 : page_.indexOf(kAddressEnd, from);
    const qsizetype titleEnd = addressEnd < 0 ? -1 : page_.indexOf(kTitleEnd, addressEnd);
    if (titleEnd < 0) {
        done_ = true;
        return std::nullopt;
    }
    ++taken_;
    cursor_ = from;
    const qsizetype address = from + 1;
    const qsizetype title = addressEnd + kAddressEnd.size();
    return Favourite{page_.mid(address, std::max<qsizetype>(0, addressEnd - address)),
                     page_.mid(title, titleEnd - title)};
}

bool validLoginName(const QString& name) {
    if (name.isEmpty() || name.size() > 63 || name.startsWith(u'-') || name.endsWith(u'-'))
        return false;
    return std::all_of(name.begin(), name.end(), [](QChar c) {
        return c.unicode() < 128 && (c.isLetterOrNumber() || c == u'-');
    });
}

} // namespace qv::favourites
