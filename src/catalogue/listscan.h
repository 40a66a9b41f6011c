// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>
#include <vector>

// Cuts song links and titles out of one of the portal's list pages by plain
// text search on four fixed keys; there is no HTML parsing. Link and title are
// taken verbatim: no trimming, no decoding of character references.
namespace qv::catalogue {

struct ListEntry {
    QString link;
    QString title;
    bool operator==(const ListEntry&) const = default;
};

constexpr int kMaxEntriesPerPage = 50;

// Hands out a page's entries one at a time, so that the caller can keep the
// window live between them.
class ListPageScanner {
public:
    explicit ListPageScanner(QString page) : page_(std::move(page)) {}

    // The next entry in page order; nothing once the page has no further
    // complete entry or kMaxEntriesPerPage have been taken. An entry whose
    // link or title is never closed ends the page there.
    std::optional<ListEntry> next();

private:
    QString page_;
    qsizetype cursor_ = 0;
    int taken_ = 0;
    bool done_ = false;
};

// All entries of a page at once.
std::vector<ListEntry> scanListPage(const QString& page);

} // namespace qv::catalogue
