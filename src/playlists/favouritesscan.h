// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// Cuts the songs out of a portal user's favourites page by plain text search:
// from the "Favorite Audio Submissions" heading on (the page's start when it
// is missing), each `<li class="song">` item gives an address and a title,
// taken verbatim: no trimming, no decoding of character references.
namespace qv::favourites {

struct Favourite {
    QString address;
    QString title;
    bool operator==(const Favourite&) const = default;
};

constexpr int kMaxFavourites = 700;

// Hands out the items one at a time, so that the caller can keep the window
// live between them.
class FavouritesScanner {
public:
    explicit FavouritesScanner(QString page);

    // The next item in page order; nothing once kMaxFavourites have been taken
    // or no further item is found. An item whose address or title is never
    // closed ends the scan there.
    std::optional<Favourite> next();

private:
    QString page_;
    qsizetype cursor_;
    int taken_ = 0;
    bool done_ = false;
};

// Whether a login name can stand as the sub-domain label of its favourites
// page: 1 to 63 ASCII letters, digits and hyphens, no hyphen at either end.
bool validLoginName(const QString& name);

} // namespace qv::favourites
