// SPDX-License-Identifier: GPL-3.0-or-later
#include "listscan.h"

#include "anchorcut.h"

namespace qv::catalogue {

namespace {
const QString kMark = QStringLiteral("listtitle");
const QString kLinkStart = QStringLiteral("href=\"");
} // namespace

std::optional<ListEntry> ListPageScanner::next() {
    if (done_ || taken_ >= kMaxEntriesPerPage)
        return std::nullopt;
    const qsizetype mark = page_.indexOf(kMark, cursor_);
    const qsizetype linkStart = mark < 0 ? -1 : page_.indexOf(kLinkStart, mark);
    const qsizetype quote = linkStart + kLinkStart.size() - 1;
    std::optional<text::Anchor> anchor;
    if (linkStart >= 0)
        anchor = text::cutAnchor(page_, quote);
    if (!anchor) {
        done_ = true;
        return std::nullopt;
    }
    ++taken_;
    cursor_ = quote; // the next mark may lie inside this entry's link
    return ListEntry{std::move(anchor->address), std::move(anchor->title)};
}

std::vector<ListEntry> scanListPage(const QString& page) {
    std::vector<ListEntry> entries;
    ListPageScanner scanner(page);
    while (std::optional<ListEntry> entry = scanner.next())
        entries.push_back(std::move(*entry));
    return entries;
}

} // namespace qv::catalogue
