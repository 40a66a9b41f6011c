// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"
#include "demoportal.h"

#include <httplib.h>

#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <set>
#include <stdexcept>
#include <thread>

namespace cat = demo::catalogue;

namespace {

struct Entry {
    std::string link;
    std::string title;
};

// The player's cut of a list page: mark, link start, link end, title end; at
// most 50 entries; the page ends at its first zero byte.
std::vector<Entry> cutList(std::string page) {
    page = page.substr(0, page.find('\0'));
    std::vector<Entry> entries;
    std::size_t cursor = 0;
    while (entries.size() < 50) {
        const auto a = page.find("listtitle", cursor);
        const auto h = a == std::string::npos ? a : page.find("href=\"", a);
        if (h == std::string::npos)
            break;
        const auto q = page.find("\">", h + 5);
        const auto e = q == std::string::npos ? q : page.find("</a>", q);
        if (e == std::string::npos)
            break;
        entries.push_back({page.substr(h + 6, q - h - 6), page.substr(q + 2, e - q - 2)});
        cursor = h + 5;
    }
    return entries;
}

// The player's favourites scan: from the heading on, at most 700 items.
std::vector<Entry> cutFavorites(std::string page) {
    page = page.substr(0, page.find('\0'));
    std::vector<Entry> entries;
    auto p = page.find("Favorite Audio Submissions");
    if (p == std::string::npos)
        p = 0;
    while (entries.size() < 700) {
        const auto b = page.find("<li class=\"song\">", p);
        if (b == std::string::npos)
            break;
        p = b + 25;
        const auto q = page.find("\">", p);
        const auto e = q == std::string::npos ? q : page.find("</a>", q);
        if (e == std::string::npos)
            break;
        entries.push_back({page.substr(b + 26, q - b - 26), page.substr(q + 2, e - q - 2)});
    }
    return entries;
}

std::size_t count(const std::string& text, const std::string& key) {
    std::size_t n = 0;
    for (auto p = text.find(key); p != std::string::npos; p = text.find(key, p + 1))
        ++n;
    return n;
}

std::uint32_t le(const std::string& s, std::size_t at, int bytes) {
    std::uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = v << 8 | static_cast<unsigned char>(s[at + static_cast<std::size_t>(i)]);
    return v;
}

// The chunks of a RIFF WAV file by id ("fmt ", "LIST", "data"); the data
// chunk's value is its declared size.
std::map<std::string, std::string> riffChunks(const std::string& file, std::uint32_t* dataSize) {
    std::map<std::string, std::string> chunks;
    std::size_t p = 12;
    while (p + 8 <= file.size()) {
        const std::string id = file.substr(p, 4);
        const std::uint32_t size = le(file, p + 4, 4);
        if (id == "data") {
            *dataSize = size;
            chunks[id] = file.substr(p + 8);
            break;
        }
        chunks[id] = file.substr(p + 8, size);
        p += 8 + size + size % 2;
    }
    return chunks;
}

demo::Options quietOptions() {
    demo::Options o;
    o.radioBind.clear();
    return o;
}

demo::Options radioOptions() {
    demo::Options o;
    o.radioBind = "127.0.0.3";
    o.radioPorts[0] = 0;
    o.radioPorts[1] = 0;
    return o;
}

std::unique_ptr<httplib::Client> client(const demo::Portal& portal, int readTimeout = 5) {
    auto c = std::make_unique<httplib::Client>("127.0.0.1", portal.port());
    c->set_connection_timeout(2);
    c->set_read_timeout(readTimeout);
    return c;
}

} // namespace

class TestDemoPortal : public QObject {
    Q_OBJECT

private:
    demo::Portal portal_{quietOptions()};
    std::string base_;

    httplib::Result get(const std::string& path, const httplib::Headers& headers = {}) {
        return client(portal_)->Get(path, headers);
    }

private slots:
    void initTestCase() {
        portal_.start();
        base_ = portal_.baseUrl();
        QCOMPARE(base_, "http://127.0.0.1:" + std::to_string(portal_.port()));
    }

    void cleanup() { portal_.setFaults({}); }

    void catalogueFacts() {
        const auto& g = cat::genres();
        QCOMPARE(g.size(), std::size_t(31));
        QVERIFY(std::is_sorted(g.begin(), g.end(), [](const cat::Genre& a, const cat::Genre& b) {
            return std::strcmp(a.name, b.name) < 0;
        }));
        int withoutList = 0;
        for (const cat::Genre& genre : g)
            withoutList += genre.list == 0;
        QCOMPARE(withoutList, 2); // Pop, Ska
        QCOMPARE(cat::songCount(18), 130);
        QCOMPARE(cat::songCount(41), 23);
        QCOMPARE(cat::songCount(0), 0);
        QCOMPARE(cat::songCount(40), 0);
        QCOMPARE(cat::songNumber(18, 17), std::string("0180017"));
        QCOMPARE(cat::songSeconds("0180001"), 3);
        QCOMPARE(cat::songSeconds("0180058"), 60);
        QCOMPARE(cat::songSeconds("0180059"), 3);
        for (const char* unknown :
             {"0410024", "0400001", "0180000", "0180131", "018001", "x180001"}) {
            QCOMPARE(cat::songSeconds(unknown), 0);
            QVERIFY(cat::songTitle(unknown).empty());
            QVERIFY(cat::wav(unknown).empty());
        }
        QCOMPARE(cat::songTitle("0210001"), std::string("R&amp;B Song 1"));
    }

    // Scrapers must meet character references and UTF-8 titles on every page.
    void specialTitlesOnEveryPage() {
        for (const cat::Genre& g : cat::genres()) {
            for (const auto order :
                 {cat::Order::Number, cat::Order::Score, cat::Order::Title, cat::Order::Date}) {
                for (int page = 1; !cat::pageSongs(g.list, page, order).empty(); ++page) {
                    bool reference = false;
                    bool utf8 = false;
                    for (const std::string& n : cat::pageSongs(g.list, page, order)) {
                        const std::string t = cat::songTitle(n);
                        reference |= t.find('&') != std::string::npos;
                        utf8 |= std::any_of(t.begin(), t.end(), [](char c) { return c & 0x80; });
                    }
                    QVERIFY2(reference && utf8,
                             (std::string(g.name) + " page " + std::to_string(page) + " order " +
                              std::to_string(int(order)))
                                 .c_str());
                }
            }
        }
    }

    void listPages_data() {
        QTest::addColumn<std::string>("suffix");
        QTest::newRow("number") << std::string();
        QTest::newRow("score") << std::string("/score");
        QTest::newRow("title") << std::string("/title");
        QTest::newRow("date") << std::string("/date");
    }

    void listPages() {
        QFETCH(std::string, suffix);
        std::vector<std::string> numbers;
        const std::size_t expected[] = {50, 50, 30, 0};
        for (int page = 1; page <= 4; ++page) {
            const auto res = get("/audio/list/18/" + std::to_string(page) + suffix);
            QVERIFY(res);
            QCOMPARE(res->status, 200);
            QCOMPARE(res->get_header_value("Content-Type"),
                     std::string("text/html; charset=utf-8"));
            const auto entries = cutList(res->body);
            QCOMPARE(entries.size(), expected[page - 1]);
            QCOMPARE(count(res->body, "listtitle"), entries.size());
            for (const Entry& e : entries) {
                const auto at = e.link.find("/listen/");
                QVERIFY2(at != std::string::npos, e.link.c_str());
                const std::string number = e.link.substr(at + 8, 7);
                QCOMPARE(e.link, cat::songLink(base_, number));
                QCOMPARE(e.title, cat::songTitle(number));
                numbers.push_back(number);
            }
        }
        // The three pages hold every song once, in the order of the sort.
        QCOMPARE(numbers, cat::songsInOrder(18, cat::orderFromSuffix(suffix)));
        QCOMPARE(std::set<std::string>(numbers.begin(), numbers.end()).size(), std::size_t(130));
    }

    void listPageDetails() {
        const auto first = cutList(get("/audio/list/18/1")->body);
        QCOMPARE(first[9].link, std::string("/listen/0180010/"));
        QCOMPARE(first[16].link, base_ + "/listen/0180017/");
        QCOMPARE(first[16].title, std::string("Jazz Song 17"));
        QCOMPARE(first[3].title, std::string("Jazz Song 4 - Rock &amp; Roll &#39;Demo&#39;"));
        QCOMPARE(first[7].title, std::string("Jazz Song 8 - Caf\xC3\xA9 Nocturne"));
        QVERIFY(cat::songsInOrder(18, cat::Order::Score) !=
                cat::songsInOrder(18, cat::Order::Date));

        QCOMPARE(cutList(get("/audio/list/41/1/score")->body).size(), std::size_t(23));
        QCOMPARE(cutList(get("/audio/list/41/2/score")->body).size(), std::size_t(0));
        for (const char* path : {"/audio/list/18/0", "/audio/list/18/-3/title",
                                 "/audio/list/18/99999999999999999999"}) {
            const auto res = get(path);
            QCOMPARE(res->status, 200);
            QCOMPARE(count(res->body, "listtitle"), std::size_t(0));
        }
        QCOMPARE(get("/audio/list/40/1")->status, 404);
        QCOMPARE(get("/audio/list/18/1/best")->status, 404);
    }

    void favorites() {
        const auto alice = get("/users/alice/favorites/");
        QCOMPARE(alice->status, 200);
        const auto items = cutFavorites(alice->body);
        const auto songs = cat::favoriteSongs("alice");
        QCOMPARE(items.size(), std::size_t(12));
        for (std::size_t i = 0; i < items.size(); ++i) {
            QCOMPARE(items[i].link, cat::songLink(base_, songs[i]));
            QCOMPARE(items[i].title, cat::songTitle(songs[i]));
        }
        // One more item stands before the heading, where a scan must not look.
        QCOMPARE(count(alice->body, "<li class=\"song\">"), std::size_t(13));
        QVERIFY(alice->body.find(cat::aliceDecoySong()) < alice->body.find("Favorite Audio"));

        const auto bob = get("/users/bob/favorites/");
        QVERIFY(bob->body.find("Favorite Audio Submissions") != std::string::npos);
        QCOMPARE(cutFavorites(bob->body).size(), std::size_t(0));

        const auto carol = get("/users/carol/favorites/");
        QCOMPARE(count(carol->body, "<li class=\"song\">"), std::size_t(701));
        QCOMPARE(cutFavorites(carol->body).size(), std::size_t(700));

        QCOMPARE(get("/users/dave/favorites/")->status, 404);
    }

    void songFiles_data() {
        QTest::addColumn<std::string>("number");
        QTest::addColumn<int>("milliseconds");
        QTest::addColumn<int>("rate");
        QTest::newRow("3 s") << std::string("0410001") << 3000 << 8000;
        QTest::newRow("60 s") << std::string("0050058") << 60000 << 8000;
        // Songs of no list.
        QTest::newRow("2.3 s") << cat::timedSongNumber(2300) << 2300 << 8000;
        QTest::newRow("0.001 s") << cat::timedSongNumber(1) << 1 << 8000;
        QTest::newRow("101 min") << cat::longSongNumber(6060) << 6060000 << 4000;
    }

    void songFiles() {
        QFETCH(std::string, number);
        QFETCH(int, milliseconds);
        QFETCH(int, rate);
        QCOMPARE(cat::songMilliseconds(number), milliseconds);
        const auto res = get("/audio/download/" + number);
        QCOMPARE(res->status, 200);
        QCOMPARE(res->get_header_value("Content-Type"), std::string("audio/wav"));
        QCOMPARE(res->get_header_value("Content-Length"), std::to_string(res->body.size()));
        const std::string& file = res->body;
        QCOMPARE(file.substr(0, 4), std::string("RIFF"));
        QCOMPARE(le(file, 4, 4), std::uint32_t(file.size() - 8));
        QCOMPARE(file.substr(8, 4), std::string("WAVE"));
        std::uint32_t dataSize = 0;
        const auto chunks = riffChunks(file, &dataSize);
        const std::string& fmt = chunks.at("fmt ");
        QCOMPARE(le(fmt, 0, 2), 1u);                  // PCM
        QCOMPARE(le(fmt, 2, 2), 1u);                  // mono
        QCOMPARE(le(fmt, 4, 4), std::uint32_t(rate)); // samples a second
        QCOMPARE(le(fmt, 8, 4), std::uint32_t(rate)); // bytes a second
        QCOMPARE(le(fmt, 14, 2), 8u);                 // bits
        QCOMPARE(dataSize, std::uint32_t(qint64(milliseconds) * rate / 1000));
        QCOMPARE(chunks.at("data").size(), std::size_t(dataSize));
        QVERIFY(chunks.at("LIST").find("INAM") != std::string::npos);
        QVERIFY(chunks.at("LIST").find("Demo Song " + number + '\0') != std::string::npos);

        // Players seek with ranges, up to the very end.
        const std::size_t from = std::min<std::size_t>(1000, file.size() / 2);
        const std::size_t length = std::min<std::size_t>(100, file.size() - from);
        const auto part = get(
            "/audio/download/" + number,
            {{"Range", "bytes=" + std::to_string(from) + "-" + std::to_string(from + length - 1)}});
        QVERIFY(part);
        QCOMPARE(part->status, 206);
        QCOMPARE(part->body, file.substr(from, length));
        const auto last = get("/audio/download/" + number, {{"Range", "bytes=-10"}});
        QCOMPARE(last->status, 206);
        QCOMPARE(last->body, file.substr(file.size() - 10));

        // Only the listed songs have a page.
        const auto page = get("/listen/" + number + "/");
        QCOMPARE(page->status, cat::parseSongNumber(number) ? 200 : 404);
        if (page->status == 200)
            QVERIFY(page->body.find(base_ + "/audio/download/" + number) != std::string::npos);
    }

    void unknownSongs() {
        QCOMPARE(get("/audio/download/9900000")->status, 404); // no length
        QCOMPARE(get("/audio/download/9960001")->status, 404); // over a minute
        QCOMPARE(get("/audio/download/9999999")->status, 404); // what tests take for no song
        QCOMPARE(get("/audio/download/9710801")->status, 404); // over 3 hours
        QCOMPARE(get("/audio/download/9800001")->status, 404); // no such mark
        QVERIFY(cat::timedSongNumber(60001).empty());
        QCOMPARE(cat::timedSongNumber(60000), std::string("9960000"));
        QVERIFY(cat::longSongNumber(3 * 3600 + 1).empty());
        QCOMPARE(cat::songMilliseconds("0180131"), 0);
        QCOMPARE(get("/audio/download/0180131")->status, 404);
        QCOMPARE(get("/audio/download/018001")->status, 404);
        QCOMPARE(get("/listen/0400001/")->status, 404);
    }

    void makerFilesAndCounter() {
        QCOMPARE(get("/radioplayer/currentversion.ini")->body, std::string("1.37\r\n"));
        const auto changelog = get("/radioplayer/changelog.txt")->body;
        QVERIFY(changelog.find("\r\n") != std::string::npos);
        QCOMPARE(count(changelog, "\n"), count(changelog, "\r\n"));
        const auto installer = get("/radioplayer/update.exe");
        QVERIFY(installer->body.size() > 200 * 1024);
        QCOMPARE(installer->get_header_value("Content-Length"),
                 std::to_string(installer->body.size()));
        QCOMPARE(get("/radioplayer/update.exe")->body, installer->body);

        const int before = portal_.counterHits();
        QCOMPARE(get("/radioplayer/counter.htm")->status, 200);
        QCOMPARE(get("/radioplayer/counter.htm")->status, 200);
        QCOMPARE(portal_.counterHits(), before + 2);
        QVERIFY(get("/demo/stats")->body.find("counterHits: " + std::to_string(before + 2)) !=
                std::string::npos);
        const auto log = portal_.requestLog();
        QVERIFY(std::find(log.begin(), log.end(), "GET /radioplayer/counter.htm 200") != log.end());

        const auto echo = get("/demo/echo", {{"User-Agent", "Probe/1.0"}, {"Accept", "text/html"}});
        QVERIFY(echo->body.find("User-Agent: Probe/1.0\n") != std::string::npos);
        QVERIFY(echo->body.find("Accept: text/html\n") != std::string::npos);
        QVERIFY(echo->body.find("REMOTE_ADDR") == std::string::npos);

        const std::string ini = portal_.serversIni();
        QVERIFY(ini.starts_with("[Servers]\r\nPortal=" + base_ + "\r\n"));
        QVERIFY(ini.find("FavoritesPage=" + base_ + "/users/%1/favorites/\r\n") !=
                std::string::npos);
        QVERIFY(ini.find("Radio=") == std::string::npos); // this portal has no radio
        QCOMPARE(get("/halvane/")->status, 200);
        QCOMPARE(get("/listen/maker/")->status, 200);
    }

    void faultsByPrefix() {
        portal_.setFaults({"http500:/radioplayer/"});
        QCOMPARE(get("/radioplayer/currentversion.ini")->status, 500);
        QCOMPARE(get("/audio/list/18/1")->status, 200);
        portal_.setFaults({"http500"});
        QCOMPARE(get("/users/alice/favorites/")->status, 500);
        QCOMPARE(get("/demo/echo")->status, 200);
        portal_.setFaults({});
        QCOMPARE(get("/radioplayer/currentversion.ini")->status, 200);
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, portal_.setFaults({"explode"}));
        QVERIFY_THROWS_EXCEPTION(std::invalid_argument, portal_.setFaults({"hang:audio"}));
        QVERIFY(demo::Portal::isValidFault("truncated:/audio/download/"));

        // A closing "$" takes the path itself, not the paths that run on from it.
        portal_.setFaults({"http500:/radioplayer/update.exe$"});
        QCOMPARE(get("/radioplayer/update.exe")->status, 500);
        QCOMPARE(get("/radioplayer/update.exe.minisig")->status, 200);
        QVERIFY(!demo::Portal::isValidFault("hang:$"));
        portal_.setFaults({});
    }

    void slowAndTruncated() {
        const std::string path = "/audio/download/0180005";
        const std::string whole = cat::wav("0180005");
        portal_.setFaults({"slow:/audio/download/"});
        QElapsedTimer timer;
        timer.start();
        const auto slow = get(path);
        QVERIFY(timer.elapsed() >= 1900);
        QVERIFY(timer.elapsed() < 5000);
        QCOMPARE(slow->body, whole);

        portal_.setFaults({"truncated"});
        std::string received;
        std::string announced;
        const auto res = client(portal_)->Get(
            path,
            [&](const httplib::Response& r) {
                announced = r.get_header_value("Content-Length");
                return true;
            },
            [&](const char* data, std::size_t n) {
                received.append(data, n);
                return true;
            });
        QVERIFY(!res); // the connection broke off
        QCOMPARE(announced, std::to_string(whole.size()));
        QCOMPARE(received, whole.substr(0, whole.size() / 2));
    }

    void hostilePages() {
        portal_.setFaults({"hostile"});
        for (const char* path : {"/audio/list/18/2/score", "/users/bob/favorites/"}) {
            const std::string page = get(path)->body;
            QVERIFY(page.find("href=\"javascript:") != std::string::npos);
            QVERIFY(page.find("href=\"file:") != std::string::npos);
            QVERIFY(page.find(std::string(100 * 1024, 'A')) != std::string::npos);
            QVERIFY(page.find('\0') != std::string::npos);
            // Up to the zero byte the last item never ends: the cut stops there.
            const auto entries = path[1] == 'a' ? cutList(page) : cutFavorites(page);
            QCOMPARE(entries.size(), std::size_t(6));
        }
    }

    void crowdedPages() {
        portal_.setFaults({"crowded"});
        const std::string first = get("/audio/list/18/1/score")->body;
        QCOMPARE(count(first, "listtitle"), std::size_t(60));
        QCOMPARE(cutList(first).size(), std::size_t(50));
        QVERIFY(first.find("/audio/list/18/2/score\">Next") != std::string::npos);
        QCOMPARE(count(get("/audio/list/18/3/score")->body, "listtitle"), std::size_t(30));
    }

    void hangUntilStopped() {
        demo::Portal portal(quietOptions());
        portal.setFaults({"hang:/audio/"});
        portal.start();
        QVERIFY(!client(portal, 1)->Get("/audio/list/18/1"));
        QCOMPARE(client(portal)->Get("/demo/stats")->status, 200);

        // A hung request is seen on arrival and logged only once answered.
        const auto arrived = [&portal] {
            const auto a = portal.arrivals();
            return std::count(a.begin(), a.end(), "GET /audio/list/18/1");
        };
        QCOMPARE(arrived(), 1);
        QVERIFY(portal.hasArrived("GET /demo/stats"));
        QVERIFY(!portal.hasArrived("GET /audio/list/18/2"));
        const auto log = portal.requestLog();
        QCOMPARE(log, std::vector<std::string>{"GET /demo/stats 200"});

        std::atomic<bool> ended = false;
        std::thread waiting([&] {
            client(portal, 10)->Get("/audio/list/18/1");
            ended = true;
        });
        QTRY_COMPARE_WITH_TIMEOUT(arrived(), 2, 5000);
        QVERIFY(!ended);
        QElapsedTimer timer;
        timer.start();
        portal.stop();
        QVERIFY2(timer.elapsed() < 2000, std::to_string(timer.elapsed()).c_str());
        waiting.join();
        QVERIFY(ended);
    }

    void radioStream() {
        demo::Portal portal(radioOptions());
        portal.start();
        QVERIFY(portal.radioPort(0) > 0 && portal.radioPort(1) > 0);
        QCOMPARE(portal.radioBase(), std::string("http://127.0.0.3"));
        QCOMPARE(portal.radioUrl(1),
                 "http://127.0.0.3:" + std::to_string(portal.radioPort(1)) + "/");
        QVERIFY(portal.serversIni().find("Radio=http://127.0.0.3\r\n") != std::string::npos);
        // The player asks for the ports that were bound, not the usual ones.
        QVERIFY(
            portal.serversIni().find("\r\nRadioPort=" + std::to_string(portal.radioPort(0)) +
                                     "\r\nRadioDialUpPort=" + std::to_string(portal.radioPort(1)) +
                                     "\r\n") != std::string::npos);

        const auto listen = [&](bool icy, std::size_t bytes, httplib::Headers& headers) {
            httplib::Client c("127.0.0.3", portal.radioPort(0));
            c.set_read_timeout(3);
            httplib::Headers request;
            if (icy)
                request.emplace("Icy-MetaData", "1");
            std::string body;
            c.Get(
                "/", request,
                [&](const httplib::Response& r) {
                    headers = r.headers;
                    return r.status == 200;
                },
                [&](const char* data, std::size_t n) {
                    body.append(data, n);
                    return body.size() < bytes;
                });
            return body;
        };

        httplib::Headers headers;
        QElapsedTimer timer;
        timer.start();
        const std::string icy = listen(true, 104000, headers);
        // A head start of 2.25 s of sound, then 1 s more no faster than twice
        // real time.
        QVERIFY2(timer.elapsed() >= 400, std::to_string(timer.elapsed()).c_str());
        QCOMPARE(headers.find("icy-metaint")->second, std::string("8192"));
        QCOMPARE(headers.find("icy-name")->second, std::string("Vellwave"));
        QCOMPARE(icy.substr(0, 4), std::string("RIFF"));
        QCOMPARE(le(icy, 40, 4), 0xFFFFFFFFu); // endless data chunk
        const std::string title = "StreamTitle='Vellwave - Demo Track 1';";
        const std::size_t blocks = static_cast<unsigned char>(icy[8192]);
        QCOMPARE(blocks, (title.size() + 15) / 16);
        std::string meta = icy.substr(8193, blocks * 16);
        QCOMPARE(meta, title + std::string(blocks * 16 - title.size(), '\0'));

        const std::string plain = listen(false, 10000, headers);
        QVERIFY(headers.find("icy-metaint") == headers.end());
        QVERIFY(plain.find("StreamTitle") == std::string::npos);
        QCOMPARE(plain.substr(0, 8192), icy.substr(0, 8192));

        // stop() is prompt while a listener is still connected.
        std::atomic<bool> ended = false;
        std::thread listener([&] {
            httplib::Headers h;
            listen(false, std::size_t(-1), h);
            ended = true;
        });
        QTest::qWait(300);
        QVERIFY(!ended);
        timer.restart();
        portal.stop();
        QVERIFY2(timer.elapsed() < 2000, std::to_string(timer.elapsed()).c_str());
        listener.join();
        QVERIFY(ended);
    }

    // The stream titles in the order an ICY listener reads them.
    void radioTitlesMoveOnWithTheSound() {
        demo::Options options = radioOptions();
        options.radioTrackSeconds = 1;
        demo::Portal portal(options);
        portal.start();
        httplib::Client c("127.0.0.3", portal.radioPort(1));
        c.set_read_timeout(3);
        std::string body;
        // 70 KB of sound lie within the head start: no waiting.
        c.Get(
            "/", {{"Icy-MetaData", "1"}},
            [](const httplib::Response& r) { return r.status == 200; },
            [&](const char* data, std::size_t n) {
                body.append(data, n);
                return body.size() < 70000;
            });
        std::vector<std::string> titles;
        for (std::size_t at = 8192; at < body.size();) {
            const std::size_t length = 16 * static_cast<unsigned char>(body[at]);
            if (at + 1 + length > body.size())
                break;
            const std::string meta = body.substr(at + 1, length);
            titles.push_back(meta.substr(0, meta.find('\0')));
            at += 1 + length + 8192;
        }
        // Every 8192 bytes of sound, that is 0.256 s at 32000 bytes a second;
        // a track of 1 s is 32000 bytes.
        const auto track = [](int n) {
            return "StreamTitle='Vellwave - Demo Track " + std::to_string(n) + "';";
        };
        QCOMPARE(titles, (std::vector<std::string>{track(1), track(1), track(1), track(2), track(2),
                                                   track(2), track(2), track(3)}));
    }

    void portsInUse() {
        demo::Options taken = quietOptions();
        taken.port = portal_.port();
        demo::Portal second(taken);
        QVERIFY_THROWS_EXCEPTION(std::runtime_error, second.start());

        demo::Portal first(radioOptions());
        first.start();
        demo::Options radio = radioOptions();
        radio.radioPorts[0] = first.radioPort(0);
        demo::Portal other(radio);
        other.start(); // goes on without the broadband stream
        QCOMPARE(other.radioPort(0), 0);
        QVERIFY(other.radioUrl(0).empty());
        QVERIFY(other.radioPort(1) > 0);
        QCOMPARE(client(other)->Get("/audio/list/18/1")->status, 200);
        // The stream that could not listen leaves the player its default port.
        QVERIFY(other.serversIni().find("RadioPort=") == std::string::npos);
        QVERIFY(other.serversIni().find(
                    "\r\nRadioDialUpPort=" + std::to_string(other.radioPort(1)) + "\r\n") !=
                std::string::npos);
    }
};

QTEST_APPLESS_MAIN(TestDemoPortal)
#include "test_demoportal.moc"
