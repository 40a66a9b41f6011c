// SPDX-License-Identifier: GPL-3.0-or-later
// The list page scan on arbitrary page bytes, read as the player reads a
// downloaded page (text::fromBytes).
#include "fuzzcheck.h"
#include "listscan.h"
#include "textfile.h"

#include <algorithm>

using namespace qv::catalogue;

namespace {

// Each entry is cut from the page as it stands: its link, the key closing the
// link, its title and the key closing the title follow each other in the
// page, and the entries come in page order.
void checkCut(const QString& page, const std::vector<ListEntry>& entries) {
    QV_FUZZ_CHECK(entries.size() <= std::size_t(kMaxEntriesPerPage));
    qsizetype from = 0;
    for (const ListEntry& e : entries) {
        QV_FUZZ_CHECK(!e.link.contains(u"\">"));
        QV_FUZZ_CHECK(!e.title.contains(u"</a>"));
        const qsizetype at =
            page.indexOf(e.link + QStringLiteral("\">") + e.title + QStringLiteral("</a>"), from);
        QV_FUZZ_CHECK(at >= 0);
        from = at + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString page = qv::text::fromBytes(qv::fuzz::bytes(data, size));
    const std::vector<ListEntry> entries = scanListPage(page);
    checkCut(page, entries);

    // One at a time gives the same entries; a finished scan stays finished.
    ListPageScanner scanner(page);
    for (const ListEntry& e : entries)
        QV_FUZZ_CHECK(scanner.next() == e);
    QV_FUZZ_CHECK(!scanner.next());
    QV_FUZZ_CHECK(!scanner.next());

    // Text after a point cannot change what was cut before it: a page cut
    // short gives a prefix of the whole page's entries.
    const std::vector<ListEntry> head = scanListPage(page.left(page.size() / 2));
    QV_FUZZ_CHECK(head.size() <= entries.size());
    QV_FUZZ_CHECK(std::equal(head.begin(), head.end(), entries.begin()));
    return 0;
}
