#include "listscan.h"

#include <algorithm>

namespace qv::catalogue {

namespace {
const QString kMark = QStringLiteral("listtitle");
const QString kLinkStart = QStringLiteral("href=\"");
const QString kLinkEnd = QStringLiteral("\">");
const QString kTitleEnd = QStringLiteral("</a>");
} // namespace

std::optional<ListEntry> ListPageScanner::next() {
    if (done_ || taken_ >= kMaxEntriesPerPage)
        return std::nullopt;
    const qsizetype mark = page_.indexOf(kMark, cursor_);
    const qsizetype linkStart = mark < 0 ? -1 : page_.indexOf(kLinkStart, mark);
    // The link end is searched from the link start's quote on, so that the
    // quote may close it too: "href=">" is an empty link, as on the
    // favourites page.
    const qsizetype quote = linkStart + kLinkStart.size() - 1;
    const qsizetype linkEnd = linkStart < 0 ? -1 : page_.indexOf(kLinkEnd, quote);
    const qsizetype titleEnd = linkEnd < 0 ? -1 : page_.indexOf(kTitleEnd, linkEnd);
    if (titleEnd < 0) {
        done_ = true;
        return std::nullopt;
    }
    const qsizetype link = quote + 1;
    const qsizetype title = linkEnd + kLinkEnd.size();
    ++taken_;
    cursor_ = quote; // the next mark may lie inside this entry's link
    return ListEntry{page_.mid(link, std::max<qsizetype>(0, linkEnd - link)),
                     page_.mid(title, titleEnd - title)};
}

std::vector<ListEntry> scanListPage(const QString& page) {
    std::vector<ListEntry> entries;
    ListPageScanner scanner(page);
    while (std::optional<ListEntry> entry = scanner.next())
        entries.push_back(std::move(*entry));
    return entries;
}

} // namespace qv::catalogue
