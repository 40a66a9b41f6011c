// SPDX-License-Identifier: GPL-3.0-or-later
// The favourites page scan on arbitrary page bytes, read as the player reads
// the downloaded page (text::fromBytes), and the login name rule on the
// input's lines as typed text.
#include "favouritesscan.h"
#include "fuzzcheck.h"
#include "textfile.h"

#include <QList>
#include <algorithm>
#include <vector>

using namespace qv::favourites;

namespace {

std::vector<Favourite> scanAll(const QString& page) {
    std::vector<Favourite> items;
    FavouritesScanner scanner(page);
    while (std::optional<Favourite> item = scanner.next())
        items.push_back(std::move(*item));
    QV_FUZZ_CHECK(!scanner.next()); // a finished scan stays finished
    return items;
}

// Each item is cut from the page as it stands, in page order: its address,
// the key closing it, its title and the key closing the title.
void checkCut(const QString& page, const std::vector<Favourite>& items) {
    QV_FUZZ_CHECK(items.size() <= std::size_t(kMaxFavourites));
    qsizetype from = 0;
    for (const Favourite& f : items) {
        QV_FUZZ_CHECK(!f.address.contains(u"\">"));
        QV_FUZZ_CHECK(!f.title.contains(u"</a>"));
        const qsizetype at = page.indexOf(
            f.address + QStringLiteral("\">") + f.title + QStringLiteral("</a>"), from);
        QV_FUZZ_CHECK(at >= 0);
        from = at + 1;
    }
}

// The rule as the header states it: 1 to 63 ASCII letters, digits and
// hyphens, no hyphen at either end.
bool loginRule(const QString& name) {
    if (name.isEmpty() || name.size() > 63)
        return false;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t c = name[i].unicode();
        const bool alnum =
            (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9');
        const bool innerHyphen = c == u'-' && i > 0 && i < name.size() - 1;
        if (!alnum && !innerHyphen)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = qv::fuzz::bytes(data, size);
    const QString page = qv::text::fromBytes(bytes);
    const std::vector<Favourite> items = scanAll(page);
    checkCut(page, items);

    // Text after a point cannot change what was cut before it, as long as the
    // heading the scan starts from stays where it was.
    const QString head = page.left(page.size() / 2);
    const QString heading = QStringLiteral("Favorite Audio Submissions");
    if (head.indexOf(heading) == page.indexOf(heading)) {
        const std::vector<Favourite> headItems = scanAll(head);
        QV_FUZZ_CHECK(headItems.size() <= items.size());
        QV_FUZZ_CHECK(std::equal(headItems.begin(), headItems.end(), items.begin()));
    }

    // A login name is typed text: any character may reach the rule.
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 8); ++i) {
        for (const QString& name : {QString::fromUtf8(lines[i]), QString::fromLatin1(lines[i])})
            QV_FUZZ_CHECK(validLoginName(name) == loginRule(name));
    }
    return 0;
}
