// SPDX-License-Identifier: GPL-3.0-or-later
#include "genres.h"
#include "listscan.h"
#include "textfile.h"

#include <QTest>

using namespace qv::catalogue;

namespace {

const QString kList = QStringLiteral("http://portal.test/audio/list/");

// Page addresses as the search builds them, for the tests' tables.
QStringList addresses(const QString& genre, const QString& order, const QString& results,
                      const QString& start) {
    QStringList out;
    const int pages = resultPages(results)->pages;
    for (int k = 0; k < pages; ++k)
        out << pageAddress(listAddress(QStringLiteral("http://portal.test"), *listNumber(genre)),
                           qint64(*startPage(start)) + k, sortSuffix(order));
    return out;
}

QString item(const QString& link, const QString& title) {
    return QStringLiteral("<td class=\"listtitle\"><a href=\"%1\">%2</a></td>\r\n")
        .arg(link, title);
}

} // namespace

class TestCatalogue : public QObject {
    Q_OBJECT
private slots:
    void genreTable() {
        const QStringList names = genreNames();
        QCOMPARE(names.size(), 31);
        QCOMPARE(names.first(), QStringLiteral("Ambient"));
        QCOMPARE(names.last(), QStringLiteral("Video Game"));
        QStringList sorted = names;
        std::sort(sorted.begin(), sorted.end());
        QCOMPARE(names, sorted);

        QCOMPARE(listNumber(QStringLiteral("Jazz")), std::optional<int>(18));
        QCOMPARE(listNumber(QStringLiteral("Bluegrass")), std::optional<int>(1));
        QCOMPARE(listNumber(QStringLiteral("R&B")), std::optional<int>(21));
        QCOMPARE(listNumber(QStringLiteral("Miscellaneous")), std::optional<int>(39));
        QCOMPARE(listNumber(QStringLiteral("Hip Hop - Olskool")), std::optional<int>(16));
        // Offered but without a list, unknown, or not matching exactly.
        for (const char* none : {"Pop", "Ska", "jazz", "Jazz ", "Select genre", ""})
            QVERIFY2(!listNumber(QLatin1String(none)), none);
        int withList = 0;
        for (const Genre& g : genres())
            withList += g.list > 0;
        QCOMPARE(withList, 29);
    }

    void optionTables() {
        QCOMPARE(sortSuffix(QStringLiteral("Top rated")), QStringLiteral("/score"));
        QCOMPARE(sortSuffix(QStringLiteral("Title")), QStringLiteral("/title"));
        QCOMPARE(sortSuffix(QStringLiteral("Recently added")), QStringLiteral("/date"));
        QCOMPARE(sortSuffix(QStringLiteral("title")), QString());
        QCOMPARE(sortSuffix(QStringLiteral("Most played")), QString());

        const std::pair<const char*, std::pair<int, int>> table[] = {
            {"50", {1, 100}}, {"100", {2, 50}}, {"150", {3, 34}}, {"200", {4, 25}}};
        for (const auto& [text, expected] : table) {
            const auto r = resultPages(QLatin1String(text));
            QVERIFY(r);
            QCOMPARE(std::make_pair(r->pages, r->step), expected);
        }
        for (const char* other : {"", "25", "250", " 50", "050", "fifty"})
            QVERIFY2(!resultPages(QLatin1String(other)), other);
    }

    void pageAddresses() {
        QCOMPARE(addresses("Dubstep", "Top rated", "50", "1"), QStringList{kList + "41/1/score"});
        QCOMPARE(addresses("Ambient", "Recently added", "150", "1"),
                 (QStringList{kList + "5/1/date", kList + "5/2/date", kList + "5/3/date"}));
        QCOMPARE(addresses("Jazz", "Title", "200", "7"),
                 (QStringList{kList + "18/7/title", kList + "18/8/title", kList + "18/9/title",
                              kList + "18/10/title"}));
        // A typed sort order adds no suffix; no bound applies to the page number.
        QCOMPARE(addresses("Jazz", "Best first", "100", "3"),
                 (QStringList{kList + "18/3", kList + "18/4"}));
        QCOMPARE(addresses("Jazz", "Top rated", "100", "-1"),
                 (QStringList{kList + "18/-1/score", kList + "18/0/score"}));
        QCOMPARE(addresses("Jazz", "Title", "200", "2147483647").last(),
                 kList + "18/2147483650/title");
        QCOMPARE(addresses("Jazz", "Title", "50", "007"), QStringList{kList + "18/7/title"});
    }

    void startPageConversion() {
        QCOMPARE(startPage(QStringLiteral("1")), std::optional<int>(1));
        QCOMPARE(startPage(QStringLiteral("+12")), std::optional<int>(12));
        QCOMPARE(startPage(QStringLiteral("-2147483648")), std::optional<int>(INT_MIN));
        QCOMPARE(startPage(QStringLiteral("2147483647")), std::optional<int>(INT_MAX));
        for (const char* bad : {"", "-", "+", "2147483648", "-2147483649", "1.5", " 1", "1 ", "x1",
                                "99999999999999999999"})
            QVERIFY2(!startPage(QLatin1String(bad)), bad);
        QCOMPARE(notAnIntegerText(QStringLiteral("abc")),
                 QStringLiteral("'abc' is not a valid integer value"));
    }

    void startPageMessagesPerKeystroke() {
        const QString between = QStringLiteral("You must enter a value between 1 and 100");
        const QString below = QStringLiteral("Please enter a value below 100");
        const QString over = QStringLiteral("You must enter a value over 0");
        const std::pair<const char*, QStringList> cases[] = {
            {"", {between}},
            {"1", {}},
            {"15", {}},
            {"150", {below}},
            {"10", {}},
            {"100", {}},
            {"101", {below}},
            {"0", {over}},
            {"00", {}},
            {"-", {between}},
            {"-5", {}},
            {"abc", {between}},
            {"99999999999", {between}},
        };
        for (const auto& [text, said] : cases)
            QVERIFY2(startPageMessages(QLatin1String(text)) == said, text);
    }

    void scanTakesEntriesVerbatim() {
        const QString page =
            QStringLiteral("<html><a href=\"/audio/\">Audio</a><table>\r\n") +
            item(QStringLiteral("http://portal.test/listen/0180001/"),
                 QStringLiteral("Jazz Song 1")) +
            item(QStringLiteral("/listen/0180010/"),
                 QStringLiteral("Rock &amp; Roll &#39;Demo&#39;")) +
            // Markup, blanks and line breaks between the keys stay in the text taken.
            QStringLiteral("<td class=\"listtitle\"><b><a href=\" /listen/0180003/ \">\r\n "
                           "<i>Caf\xC3\xA9</i> </a>") +
            item(QString(), QStringLiteral("Empty link")) + QStringLiteral("</table>");
        const std::vector<ListEntry> entries = scanListPage(page);
        const std::vector<ListEntry> expected = {
            {QStringLiteral("http://portal.test/listen/0180001/"), QStringLiteral("Jazz Song 1")},
            {QStringLiteral("/listen/0180010/"), QStringLiteral("Rock &amp; Roll &#39;Demo&#39;")},
            {QStringLiteral(" /listen/0180003/ "), QStringLiteral("\r\n <i>Caf\xC3\xA9</i> ")},
            {QString(), QStringLiteral("Empty link")},
        };
        QCOMPARE(entries, expected);
        // A UTF-8 title is stored as its bytes and decoded only for the user.
        QCOMPARE(qv::text::display(entries[2].title), QStringLiteral("\r\n <i>Café</i> "));
    }

    void scanCounts_data() {
        QTest::addColumn<int>("marks");
        QTest::addColumn<int>("expected");
        QTest::newRow("none") << 0 << 0;
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("fewer") << 23 << 23;
        QTest::newRow("exactly 50") << 50 << 50;
        QTest::newRow("more") << 60 << 50;
    }

    void scanCounts() {
        QFETCH(int, marks);
        QFETCH(int, expected);
        QString page = QStringLiteral("<h1>Jazz</h1><a href=\"/x\">not an entry</a>");
        for (int i = 1; i <= marks; ++i)
            page += item(QStringLiteral("/listen/%1/").arg(i), QStringLiteral("Song %1").arg(i));
        const std::vector<ListEntry> entries = scanListPage(page);
        QCOMPARE(int(entries.size()), expected);
        for (int i = 0; i < expected; ++i)
            QCOMPARE(entries[i].title, QStringLiteral("Song %1").arg(i + 1));
    }

    void scanStopsAtBrokenEntries() {
        const QString good = item(QStringLiteral("/listen/1/"), QStringLiteral("One"));
        const QString after = item(QStringLiteral("/listen/9/"), QStringLiteral("Never reached"));
        // The link never closes: the scan ends at that item, whatever follows.
        QCOMPARE(scanListPage(good + QStringLiteral("<td class=\"listtitle\"><a href=\"/listen/2/"))
                     .size(),
                 std::size_t(1));
        // The title never closes.
        QCOMPARE(scanListPage(good + QStringLiteral("listtitle href=\"/listen/2/\">Two")).size(),
                 std::size_t(1));
        // A mark without a link after it.
        QCOMPARE(scanListPage(good + QStringLiteral("listtitle")).size(), std::size_t(1));
        // An unfinished entry runs on to the next keys, as the page writes them.
        const std::vector<ListEntry> joined =
            scanListPage(good + QStringLiteral("listtitle <a href=\"/listen/2/") + after);
        QCOMPARE(joined.size(), std::size_t(3));
        QCOMPARE(joined[1].link, QStringLiteral("/listen/2/<td class=\"listtitle"));
        QCOMPARE(joined[1].title, QStringLiteral("<a href=\"/listen/9/\">Never reached"));
        QCOMPARE(joined[2].title, QStringLiteral("Never reached"));

        // The page ends at its first zero byte, as the loader takes it.
        const QByteArray bytes =
            (good + item(QStringLiteral("/listen/2/"), QStringLiteral("Two"))).toLatin1() +
            QByteArray("listtitle href=\"/listen/3/", 26) + '\0' + QByteArray("\">Three</a>");
        const QString loaded = qv::text::fromBytes(bytes);
        QCOMPARE(scanListPage(loaded).size(), std::size_t(2));
    }

    // Found by fuzz_listscan: a link whose opening quote also closes it
    // (`href=">`) is empty; it used to take the rest of the page as its link.
    void scanTakesQuoteClosedLinkAsEmpty() {
        const QString page =
            QStringLiteral("listtitle href=\">One</a> listtitle href=\">\">Two</a>") +
            item(QStringLiteral("/listen/3/"), QStringLiteral("Three"));
        const std::vector<ListEntry> expected = {
            {QString(), QStringLiteral("One")},
            {QString(), QStringLiteral("\">Two")},
            {QStringLiteral("/listen/3/"), QStringLiteral("Three")},
        };
        QCOMPARE(scanListPage(page), expected);
        // The fuzzer's input as it found it.
        const QByteArray found =
            QByteArray::fromHex("0a6c691a6c73746c696c6973747469746c656974687265663d223e223e663c2f"
                                "613e73227474"
                                "3c7464226c6973747469746c65223e3c6120687265663d2274223e695f");
        const std::vector<ListEntry> entries = scanListPage(qv::text::fromBytes(found));
        QCOMPARE(entries.size(), std::size_t(1));
        QCOMPARE(entries[0].link, QString());
        QCOMPARE(entries[0].title, QStringLiteral("\">f"));
    }
};

QTEST_APPLESS_MAIN(TestCatalogue)
#include "test_catalogue.moc"
