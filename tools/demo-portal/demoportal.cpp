// SPDX-License-Identifier: GPL-3.0-or-later
#include "demoportal.h"

#include "demosigning.h"

#include "catalogue.h"

#include <httplib.h>
#include <sys/socket.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <fstream>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <thread>

namespace demo {
namespace {

namespace cat = catalogue;
using httplib::Request;
using httplib::Response;
using namespace std::chrono_literals;

constexpr const char* kHtml = "text/html; charset=utf-8";
constexpr const char* kText = "text/plain; charset=utf-8";
constexpr const char* kFaultNames[] = {
    "slow",    "hang",  "http500", "truncated", "hostile",  "crowded",  "radiocut", "huge",
    "garbage", "marks", "endless", "stall",     "unsigned", "tampered", "wrongkey", "lag"};
constexpr std::size_t kEndlessBytes = std::size_t(1) << 40;
constexpr int kStallTicks = 600;                     // 100 ms each
constexpr std::size_t kHugeBytes = 50 * 1000 * 1000; // what a "huge" page adds
constexpr std::size_t kGarbageBytes = 256 * 1024;
constexpr std::size_t kManyMarks = 10000;
constexpr std::size_t kCrowdedExtra = 10; // songs a crowded list page adds
constexpr std::size_t kRadioMetaInt = 8192;
// Bytes (8-bit samples) per second. Players read about 64 KiB ahead before
// they start a PCM stream, so the stream sends that much at once; at this
// rate it is 2.25 s of sound, which a listener waits out before each change
// of title or the end of a broken stream.
constexpr std::size_t kRadioRate = 32000;
constexpr std::size_t kRadioBurst = 72000;
constexpr std::size_t kRadioPiece = 800;

struct Fault {
    std::string name;
    std::string prefix; // empty: every path
    bool exact = false; // the path itself only, written with a closing "$"
};

std::optional<Fault> parseFault(const std::string& faultText) {
    const auto colon = faultText.find(':');
    Fault f{faultText.substr(0, colon),
            colon == std::string::npos ? "" : faultText.substr(colon + 1)};
    const bool known = std::any_of(std::begin(kFaultNames), std::end(kFaultNames),
                                   [&f](const char* n) { return f.name == n; });
    if (!known || (colon != std::string::npos && (f.prefix.empty() || f.prefix[0] != '/')))
        return std::nullopt;
    if (f.prefix.ends_with('$')) {
        f.prefix.pop_back();
        f.exact = true;
    }
    return f;
}

struct ActiveFaults {
    bool slow = false, hang = false, http500 = false, truncated = false, hostile = false,
         crowded = false, radioCut = false, huge = false, garbage = false, marks = false,
         endless = false, stall = false, unsignedInstaller = false, tampered = false,
         wrongKey = false, lag = false;
};

std::string pageHead(const std::string& title) {
    std::string h = "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + title +
                    " - Quorvell</title>\n<link rel=\"stylesheet\" href=\"/css/site.css\">"
                    "</head>\n<body>\n<div id=\"header\"><a href=\"/\"><img src=\"/img/logo.png\" "
                    "alt=\"Quorvell\"></a>\n<form action=\"/search/\" method=\"get\"><input "
                    "name=\"terms\"><input type=\"submit\" value=\"Search\"></form></div>\n"
                    "<div id=\"menu\"><a href=\"/\">Home</a> | <a href=\"/audio/\">Audio</a>";
    for (const cat::Genre& g : cat::genres()) {
        if (g.list)
            h += " | <a href=\"/audio/list/" + std::to_string(g.list) + "/1/score\">" +
                 (g.list == 21 ? std::string("R&amp;B") : std::string(g.name)) + "</a>";
    }
    h += "</div>\n<div id=\"content\">\n";
    return h;
}

std::string pageFoot() {
    return "</div>\n<div id=\"footer\"><a href=\"/about/\">About</a> | <a "
           "href=\"/terms/\">Terms</a> | &copy; Quorvell</div>\n</body></html>\n";
}

std::string minutes(int seconds) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d:%02d", seconds / 60, seconds % 60);
    return buf;
}

// Pages with content meant to break a careless scraper: script and file links,
// markup in a title, a huge title, a zero byte and, hidden behind it, an item
// that never ends.
std::string hostileItems(const std::string& base, int list, const std::string& open,
                         const std::string& close) {
    const auto item = [&](const std::string& link, const std::string& title) {
        return open + link + "\">" + title + "</a>" + close + "\n";
    };
    const auto n = [list](int i) { return cat::songNumber(list, i); };
    std::string s;
    s += item(cat::songLink(base, n(1)), cat::songTitle(n(1)));
    s += item("javascript:alert(document.cookie)//listen/" + n(2) + "/", "Free Download!");
    s += item("file:///etc/passwd", "Local file");
    s += item(base + "/listen/" + n(3) + "/", "<img src=x onerror=alert(1)>Click");
    s += item(base + "/listen/" + n(5) + "/", std::string(100 * 1024, 'A'));
    s += item(cat::songLink(base, n(6)), cat::songTitle(n(6)));
    s += open + base + "/listen/" + n(7) + "/";
    s += '\0';
    s += "\">After the zero byte</a>" + close + "\n";
    return s;
}

} // namespace

// The installer the update server offers: deterministic bytes.
const std::string& installer() {
    static const std::string bytes = [] {
        std::string b = "MZ";
        std::uint32_t x = 0x51a7e;
        while (b.size() < 300 * 1024) {
            x = x * 1664525U + 1013904223U;
            b += static_cast<char>(x >> 24);
        }
        return b;
    }();
    return bytes;
}

struct Portal::Impl {
    Options opt;
    // Another key than the demo key, made anew for each portal.
    const SigningKey wrongKey = randomKey();
    std::unique_ptr<httplib::Server> webServer = makeServer();
    httplib::Server& web = *webServer;
    std::unique_ptr<httplib::Server> radio[2];
    int webPort = 0;
    int radioBound[2] = {0, 0};
    std::thread webThread;
    std::thread radioThreads[2];
    bool started = false;
    bool stopped = false;

    std::mutex stopMutex;
    std::condition_variable stopCv;
    bool stopping = false;

    mutable std::mutex mutex; // faults and log
    std::vector<Fault> faults;
    std::vector<std::string> log;
    std::vector<std::string> arrivals;
    std::atomic<int> counterHits{0};

    explicit Impl(Options o) : opt(std::move(o)) {}

    bool tls() const { return !opt.tlsCert.empty(); }
    std::string scheme() const { return tls() ? "https://" : "http://"; }

    std::unique_ptr<httplib::Server> makeServer() const {
        if (!tls())
            return std::make_unique<httplib::Server>();
        auto server = std::make_unique<httplib::SSLServer>(opt.tlsCert.c_str(), opt.tlsKey.c_str());
        if (!server->is_valid())
            throw std::runtime_error("cannot read the certificate " + opt.tlsCert + " or key " +
                                     opt.tlsKey);
        return server;
    }

    std::string base() const {
        const bool v6 = opt.bind.find(':') != std::string::npos;
        return scheme() + (v6 ? "[" + opt.bind + "]" : opt.bind) + ":" + std::to_string(webPort);
    }

    // Waits up to d; true when the portal is stopping.
    template <class D> bool waitStop(D d) {
        std::unique_lock lock(stopMutex);
        return stopCv.wait_for(lock, d, [this] { return stopping; });
    }

    void configure(httplib::Server& svr, std::size_t threads) {
        // Short time-outs so stop() is never held up by an idle or stalled client.
        svr.set_keep_alive_timeout(1);
        svr.set_read_timeout(2);
        svr.set_write_timeout(1);
        // Headers and body go out in separate writes; without this the body
        // waits for the client's delayed acknowledgement (40 ms here).
        svr.set_tcp_nodelay(true);
        svr.new_task_queue = [threads] { return new httplib::ThreadPool(threads); };
        // The library also sets SO_REUSEPORT, which would let a second portal
        // share (and steal connections from) a radio port instead of failing.
        svr.set_socket_options([](socket_t sock) {
            int yes = 1;
            setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        });
        // A request that hangs is logged only once it ends: arrivals let a
        // test wait until a request has reached the portal.
        svr.set_pre_routing_handler([this](const Request& req, Response&) {
            std::lock_guard lock(mutex);
            arrivals.push_back(req.method + " " + req.path);
            return httplib::Server::HandlerResponse::Unhandled;
        });
        svr.set_post_routing_handler([this](const Request& req, Response& res) {
            record(req.method + " " + req.path + " " + std::to_string(res.status));
        });
    }

    void record(const std::string& line) {
        std::lock_guard lock(mutex);
        log.push_back(line);
        if (opt.logToStdout) {
            std::fputs((line + "\n").c_str(), stdout);
            std::fflush(stdout);
        }
    }

    ActiveFaults faultsFor(const std::string& path) const {
        ActiveFaults a;
        if (path.rfind("/demo/", 0) == 0)
            return a;
        std::lock_guard lock(mutex);
        for (const Fault& f : faults) {
            if (f.exact ? path != f.prefix : path.rfind(f.prefix, 0) != 0)
                continue;
            a.slow |= f.name == "slow";
            a.hang |= f.name == "hang";
            a.http500 |= f.name == "http500";
            a.truncated |= f.name == "truncated";
            a.hostile |= f.name == "hostile";
            a.crowded |= f.name == "crowded";
            a.radioCut |= f.name == "radiocut";
            a.huge |= f.name == "huge";
            a.garbage |= f.name == "garbage";
            a.marks |= f.name == "marks";
            a.endless |= f.name == "endless";
            a.stall |= f.name == "stall";
            a.unsignedInstaller |= f.name == "unsigned";
            a.tampered |= f.name == "tampered";
            a.wrongKey |= f.name == "wrongkey";
            a.lag |= f.name == "lag";
        }
        return a;
    }

    using Page = std::function<void(const Request&, Response&, bool hostile)>;

    void route(httplib::Server& svr, const std::string& pattern, Page page) {
        svr.Get(pattern, [this, page = std::move(page)](const Request& req, Response& res) {
            serve(req, res, page);
        });
    }

    void serve(const Request& req, Response& res, const Page& page) {
        const ActiveFaults f = faultsFor(req.path);
        if (f.hang) {
            std::unique_lock lock(stopMutex);
            stopCv.wait(lock, [this] { return stopping; });
            res.status = 503;
            return;
        }
        if (f.http500) {
            res.status = 500;
            res.set_content(pageHead("Error") + "<h1>Internal Server Error</h1>\n" + pageFoot(),
                            kHtml);
            return;
        }
        if (f.slow && waitStop(2s)) {
            res.status = 503;
            return;
        }
        // A portal behind a content network: each answer a quarter second away.
        if (f.lag && waitStop(250ms)) {
            res.status = 503;
            return;
        }
        page(req, res, f.hostile);
        if (res.body.empty())
            return;
        if (f.garbage)
            res.body = garbage();
        if (f.huge)
            res.body += hugeFiller();
        if (f.endless) {
            endless(res);
            return;
        }
        if (f.slow && !f.truncated)
            dribble(res);
        else
            send(res, f.truncated);
    }

    static std::string takeBody(Response& res, std::string& type) {
        type = res.get_header_value("Content-Type");
        res.headers.erase("Content-Type");
        std::string body;
        body.swap(res.body);
        return body;
    }

    // The body as a stream of announced length: the library would otherwise
    // compress a text body with Brotli at its highest quality, which takes
    // 20-40 ms for a list page. A truncated answer sends the first half and
    // drops the connection.
    static void send(Response& res, bool truncated) {
        std::string type;
        auto body = std::make_shared<std::string>(takeBody(res, type));
        const std::size_t end = truncated ? body->size() / 2 : body->size();
        res.set_content_provider(
            body->size(), type,
            [body, end](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset >= end)
                    return false;
                return sink.write(body->data() + offset, std::min(length, end - offset));
            });
    }

    // Deterministic bytes of every value, zero included.
    static std::string garbage() {
        std::string bytes(kGarbageBytes, '\0');
        std::uint32_t x = 2463534242U;
        for (char& c : bytes) {
            x ^= x << 13;
            x ^= x >> 17;
            x ^= x << 5;
            c = static_cast<char>(x & 0xFF);
        }
        return bytes;
    }

    // A comment after the page's content, without a single mark in it.
    static const std::string& hugeFiller() {
        static const std::string filler = "<!--" + std::string(kHugeBytes, '.') + "-->\n";
        return filler;
    }

    // The page, then comments, 4 KB every 50 ms, until the portal stops. The
    // length announced is a terabyte: a chunked answer would be compressed,
    // and the compressor holds the comments back for seconds.
    void endless(Response& res) {
        std::string type;
        auto body = std::make_shared<std::string>(takeBody(res, type));
        res.set_content_provider(
            kEndlessBytes, type,
            [this, body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset == 0)
                    return sink.write(body->data(), std::min(length, body->size()));
                if (waitStop(50ms))
                    return false;
                static const std::string more = "<!--" + std::string(4000, '.') + "-->\n";
                return sink.write(more.data(), std::min(length, more.size()));
            });
    }

    void dribble(Response& res) {
        std::string type;
        auto body = std::make_shared<std::string>(takeBody(res, type));
        const std::size_t piece = std::max<std::size_t>(256, body->size() / 20);
        res.set_content_provider(
            body->size(), type,
            [this, body, piece](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
                if (offset > 0 && waitStop(50ms))
                    return false;
                return sink.write(body->data() + offset, std::min(length, piece));
            });
    }

    // ---- pages ---------------------------------------------------------------

    // The songs over and over, to 10,000 entries.
    static std::vector<std::string> manySongs(const std::vector<std::string>& songs) {
        std::vector<std::string> many;
        if (songs.empty())
            return many;
        many.reserve(kManyMarks);
        while (many.size() < kManyMarks)
            many.push_back(songs[many.size() % songs.size()]);
        return many;
    }

    void listPage(const Request& req, Response& res, bool hostile) {
        const std::string listText = req.matches[1].str();
        int list = 0;
        if (listText.size() <= 3)
            std::from_chars(listText.data(), listText.data() + listText.size(), list);
        const std::string suffix = req.matches[3].str();
        const std::string genre = cat::genreName(list);
        if (genre.empty()) {
            res.status = 404;
            res.set_content(pageHead("Not found") + "<h1>No such list</h1>\n" + pageFoot(), kHtml);
            return;
        }
        long long page = 0; // a number too long for this is past the last page anyway
        const std::string pageText = req.matches[2].str();
        std::from_chars(pageText.data(), pageText.data() + pageText.size(), page);
        const std::string b = base();
        const std::string listBase = "/audio/list/" + std::to_string(list) + "/";
        const std::string name = list == 21 ? "R&amp;B" : genre;

        std::string s = pageHead(name);
        s += "<h1>" + name + "</h1>\n<div class=\"sortby\">Sort by: <a href=\"" + listBase +
             "1/score\">Top rated</a> | <a href=\"" + listBase +
             "1/title\">Title</a> | <a href=\"" + listBase + "1/date\">Recently added</a></div>\n";
        if (hostile) {
            s += "<table class=\"audiolist\">\n" +
                 hostileItems(b, list, "<tr><td class=\"listtitle\"><a href=\"", "</td></tr>");
            res.set_content(s, kHtml);
            return;
        }
        std::vector<std::string> songs = cat::pageSongs(list, page, cat::orderFromSuffix(suffix));
        const bool fullPage = songs.size() == static_cast<std::size_t>(cat::kPageSize);
        if (faultsFor(req.path).marks)
            songs = manySongs(songs);
        if (faultsFor(req.path).crowded) {
            // The page runs on into the first songs of the next one.
            const auto more = cat::pageSongs(list, page + 1, cat::orderFromSuffix(suffix));
            songs.insert(songs.end(), more.begin(),
                         more.begin() + static_cast<std::ptrdiff_t>(
                                            std::min<std::size_t>(more.size(), kCrowdedExtra)));
        }
        if (songs.empty()) {
            s += "<p class=\"empty\">No submissions found on this page.</p>\n";
        } else {
            s += "<table class=\"audiolist\">\n<tr><th>#</th><th>Title</th><th>Artist</th>"
                 "<th>Length</th><th>Score</th></tr>\n";
            long long row = (page - 1) * cat::kPageSize;
            for (const std::string& n : songs) {
                const int score = cat::songScore(n);
                char scoreText[16];
                std::snprintf(scoreText, sizeof scoreText, "%d.%02d", score / 200,
                              (score % 200) / 2);
                const std::string artist = "artist" + std::to_string(std::stoi(n) % 37 + 1);
                ++row;
                s += "<tr class=\"" + std::string(row % 2 ? "odd" : "even") +
                     "\"><td class=\"listnum\">" + std::to_string(row) +
                     "</td><td class=\"listtitle\"><a href=\"" + cat::songLink(b, n) + "\">" +
                     cat::songTitle(n) + "</a></td><td class=\"listartist\"><a href=\"/users/" +
                     artist + "/\">" + artist + "</a></td><td class=\"listlength\">" +
                     minutes(cat::songSeconds(n)) + "</td><td class=\"listscore\">" + scoreText +
                     "</td></tr>\n";
            }
            s += "</table>\n";
        }
        s += "<div class=\"pages\">";
        if (page > 1)
            s += "<a href=\"" + listBase + std::to_string(page - 1) + suffix +
                 "\">&laquo; Prev</a> ";
        if (fullPage)
            s +=
                "<a href=\"" + listBase + std::to_string(page + 1) + suffix + "\">Next &raquo;</a>";
        s += "</div>\n" + pageFoot();
        res.set_content(s, kHtml);
    }

    void songPage(const Request& req, Response& res, bool) {
        const std::string n = req.matches[1].str();
        if (!cat::parseSongNumber(n)) {
            res.status = 404;
            res.set_content(pageHead("Not found") + "<h1>No such song</h1>\n" + pageFoot(), kHtml);
            return;
        }
        const std::string title = cat::songTitle(n);
        res.set_content(pageHead(title) + "<h1>" + title +
                            "</h1>\n<p>Length: " + minutes(cat::songSeconds(n)) +
                            "</p>\n<p><audio controls src=\"" + base() + "/audio/download/" + n +
                            "\"></audio></p>\n<p><a href=\"" + base() + "/audio/download/" + n +
                            "\">Download this song</a></p>\n" + pageFoot(),
                        kHtml);
    }

    void download(const Request& req, Response& res, bool) {
        const std::string n = req.matches[1].str();
        std::string data = cat::wav(n);
        if (data.empty()) {
            res.status = 404;
            res.set_content("No such song\n", kText);
            return;
        }
        res.set_header("Accept-Ranges", "bytes");
        res.set_header("Content-Disposition", "attachment; filename=\"" + n + ".wav\"");
        res.set_content(std::move(data), "audio/wav");
    }

    void favoritesPage(const Request& req, Response& res, bool hostile) {
        const std::string user = req.matches[1].str();
        if (!cat::knownUser(user)) {
            res.status = 404;
            res.set_content(pageHead("Not found") + "<h1>No such user</h1>\n" + pageFoot(), kHtml);
            return;
        }
        const std::string b = base();
        const auto item = [&b](const std::string& n) {
            return "<li class=\"song\"><a href=\"" + cat::songLink(b, n) + "\">" +
                   cat::songTitle(n) + "</a></li>\n";
        };
        std::string s = pageHead(user) + "<h1>" + user +
                        "</h1>\n<div class=\"profile\"><a href=\"/users/" + user +
                        "/\">Profile</a> | <a href=\"/users/" + user +
                        "/audio/\">Submissions</a></div>\n";
        if (user == "alice")
            s += "<div class=\"box\"><h3>Recently listened</h3><ul>" + item(cat::aliceDecoySong()) +
                 "</ul></div>\n";
        s += "<h2>Favorite Audio Submissions</h2>\n<ul class=\"favorites\">\n";
        if (hostile) {
            s += hostileItems(b, 18, "<li class=\"song\"><a href=\"", "</li>");
            res.set_content(s, kHtml);
            return;
        }
        std::vector<std::string> favourites = cat::favoriteSongs(user);
        if (faultsFor(req.path).marks)
            favourites = manySongs(favourites);
        for (const std::string& n : favourites)
            s += item(n);
        s += "</ul>\n";
        if (user == "bob")
            s += "<p>No favorites yet.</p>\n";
        res.set_content(s + pageFoot(), kHtml);
    }

    void indexPage(const Request&, Response& res, bool) {
        std::string s = pageHead("Home") + "<h1>Quorvell demo portal</h1>\n<ul>\n";
        for (const cat::Genre& g : cat::genres()) {
            if (g.list)
                s += "<li><a href=\"/audio/list/" + std::to_string(g.list) + "/1\">" +
                     (g.list == 21 ? std::string("R&amp;B") : std::string(g.name)) + "</a></li>\n";
        }
        s += "</ul>\n<p>Favourites: <a href=\"/users/alice/favorites/\">alice</a>, <a "
             "href=\"/users/bob/favorites/\">bob</a>, <a "
             "href=\"/users/carol/favorites/\">carol</a></p>\n";
        res.set_content(s + pageFoot(), kHtml);
    }

    void radioStream(int quality, const Request& req, Response& res) {
        struct Stream {
            std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
            std::string pending = cat::wavHeader(0xFFFFFFFFU, {}, kRadioRate);
            std::size_t audio = 0;     // stream bytes sent, metadata not counted
            std::size_t sinceMeta = 0; // stream bytes since the last metadata block
            std::uint32_t phase = 0;
            int hz = 0;
            bool icy = false;
        };
        if (faultsFor(req.path).radioCut) {
            res.status = 503;
            res.set_content("Off the air\n", kText);
            return;
        }
        auto st = std::make_shared<Stream>();
        st->hz = quality == 0 ? 330 : 262;
        st->icy = req.get_header_value("Icy-MetaData") == "1";
        res.set_header("icy-name", "Vellwave");
        res.set_header("icy-genre", "Demo");
        res.set_header("icy-br", quality == 0 ? "64" : "16");
        if (st->icy)
            res.set_header("icy-metaint", std::to_string(kRadioMetaInt));
        res.set_header("Cache-Control", "no-cache");
        res.set_chunked_content_provider(
            "audio/wav", [this, st, path = req.path](std::size_t, httplib::DataSink& sink) {
                if (faultsFor(path).radioCut)
                    return false; // the connection drops
                // Open and silent. The library cannot tell that the listener
                // has gone meanwhile, so a stalled stream holds its thread at
                // most a minute and then drops.
                for (int waited = 0; faultsFor(path).stall; ++waited) {
                    if (waitStop(100ms) || waited == kStallTicks)
                        return false;
                }
                // Real time after a short head start.
                const std::size_t ahead = st->audio + kRadioPiece;
                if (ahead > kRadioBurst) {
                    const auto due = st->start + std::chrono::milliseconds((ahead - kRadioBurst) *
                                                                           1000 / kRadioRate);
                    std::unique_lock lock(stopMutex);
                    if (stopCv.wait_until(lock, due, [this] { return stopping; }))
                        return false;
                } else if (waitStop(0ms)) {
                    return false;
                }
                std::string piece;
                while (piece.size() < kRadioPiece) {
                    if (st->pending.empty())
                        cat::appendTone(st->pending, st->hz, kRadioPiece, st->phase, kRadioRate);
                    std::size_t n = std::min(kRadioPiece - piece.size(), st->pending.size());
                    if (st->icy)
                        n = std::min(n, kRadioMetaInt - st->sinceMeta);
                    piece.append(st->pending, 0, n);
                    st->pending.erase(0, n);
                    st->audio += n;
                    st->sinceMeta += n;
                    if (st->icy && st->sinceMeta == kRadioMetaInt) {
                        st->sinceMeta = 0;
                        const std::size_t track =
                            1 + st->audio /
                                    (kRadioRate * std::size_t(std::max(1, opt.radioTrackSeconds)));
                        std::string meta =
                            "StreamTitle='Vellwave - Demo Track " + std::to_string(track) + "';";
                        const std::size_t blocks = (meta.size() + 15) / 16;
                        meta.resize(blocks * 16, '\0');
                        piece += static_cast<char>(blocks);
                        piece += meta;
                    }
                }
                return sink.write(piece.data(), piece.size());
            });
    }

    void setupRoutes() {
        auto& s = web;
        route(s, R"(/audio/list/(\d+)/(-?\d+)(/score|/title|/date)?/?)",
              [this](const Request& q, Response& r, bool h) { listPage(q, r, h); });
        route(s, "/listen/maker/", [](const Request&, Response& r, bool) {
            r.set_content(pageHead("halvane") +
                              "<h1>halvane</h1>\n<p>Maker of the Quorvell Radio Player.</p>\n" +
                              pageFoot(),
                          kHtml);
        });
        route(s, R"(/listen/(\d{7})/?)",
              [this](const Request& q, Response& r, bool h) { songPage(q, r, h); });
        route(s, R"(/audio/download/(\d{7}))",
              [this](const Request& q, Response& r, bool h) { download(q, r, h); });
        route(s, R"(/users/([^/]+)/favorites/?)",
              [this](const Request& q, Response& r, bool h) { favoritesPage(q, r, h); });
        route(s, "/", [this](const Request& q, Response& r, bool h) { indexPage(q, r, h); });
        route(s, "/halvane/", [](const Request&, Response& r, bool) {
            r.set_content("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Halvane "
                          "Software</title></head><body><h1>Halvane Software</h1>\n<p>Home of the "
                          "Quorvell Radio Player.</p></body></html>\n",
                          kHtml);
        });
        route(s, "/radioplayer/changelog.txt", [](const Request&, Response& r, bool) {
            r.set_content("Quorvell Radio Player 1.37\r\n"
                          "- Search over several genres at once is faster\r\n"
                          "- The radio shows the current track\r\n"
                          "- Fixed: playlists with long names\r\n"
                          "\r\n"
                          "Quorvell Radio Player 1.36\r\n"
                          "- Favourites import\r\n",
                          kText);
        });
        route(s, "/radioplayer/currentversion.ini",
              [](const Request&, Response& r, bool) { r.set_content("1.37\r\n", kText); });
        route(s, "/radioplayer/update.exe", [this](const Request& q, Response& r, bool) {
            std::string body = installer();
            // Changed after signing, as on the way from a hostile network.
            if (faultsFor(q.path).tampered)
                body[body.size() / 2] = static_cast<char>(body[body.size() / 2] ^ 0x01);
            r.set_content(body, "application/octet-stream");
        });
        route(s, "/radioplayer/update.exe.minisig", [this](const Request& q, Response& r, bool) {
            const ActiveFaults f = faultsFor(q.path);
            if (f.unsignedInstaller) {
                r.status = 404;
                r.set_content("Not Found\n", kText);
                return;
            }
            r.set_content(minisignature(installer(), f.wrongKey ? wrongKey : demoKey(),
                                        "file:update.exe\tdemo portal"),
                          kText);
        });
        route(s, "/radioplayer/counter.htm", [this](const Request&, Response& r, bool) {
            const int hits = ++counterHits;
            r.set_content("<html><head><title>Counter</title></head><body><p>Starts counted: " +
                              std::to_string(hits) + "</p></body></html>\n",
                          kHtml);
        });
        s.Get("/demo/echo", [](const Request& req, Response& res) {
            std::string text;
            for (const auto& [name, value] : req.headers) {
                // The library adds the peer's address as pseudo headers.
                if (name == "REMOTE_ADDR" || name == "REMOTE_PORT" || name == "LOCAL_ADDR" ||
                    name == "LOCAL_PORT")
                    continue;
                text += name + ": " + value + "\n";
            }
            res.set_content(text, kText);
        });
        s.Get("/demo/stats", [this](const Request&, Response& res) {
            std::size_t requests = 0;
            {
                std::lock_guard lock(mutex);
                requests = log.size();
            }
            res.set_content("counterHits: " + std::to_string(counterHits.load()) +
                                "\nrequests: " + std::to_string(requests) + "\n",
                            kText);
        });
    }

    static bool waitRunning(const httplib::Server& svr) {
        for (int i = 0; i < 5000 && !svr.is_running(); ++i)
            std::this_thread::sleep_for(1ms);
        return svr.is_running();
    }
};

Portal::Portal(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {
    setFaults(impl_->opt.faults);
}

Portal::~Portal() {
    stop();
}

bool Portal::isValidFault(const std::string& faultText) {
    return parseFault(faultText).has_value();
}

void Portal::start() {
    Impl& d = *impl_;
    if (d.started)
        throw std::logic_error("the demo portal was already started");
    d.configure(d.web, 24);
    d.setupRoutes();
    d.webPort = d.opt.port == 0 ? d.web.bind_to_any_port(d.opt.bind)
                                : (d.web.bind_to_port(d.opt.bind, d.opt.port) ? d.opt.port : -1);
    if (d.webPort <= 0)
        throw std::runtime_error("cannot listen on " + d.opt.bind + ":" +
                                 std::to_string(d.opt.port));
    d.started = true;
    d.webThread = std::thread([&d] { d.web.listen_after_bind(); });
    Impl::waitRunning(d.web);

    if (d.opt.radioBind.empty())
        return;
    for (int q = 0; q < 2; ++q) {
        auto svr = d.makeServer();
        d.configure(*svr, 16); // stalled streams each hold one
        d.route(*svr, "/",
                [&d, q](const Request& req, Response& res, bool) { d.radioStream(q, req, res); });
        const int wanted = d.opt.radioPorts[q];
        const int port = wanted == 0 ? svr->bind_to_any_port(d.opt.radioBind)
                                     : (svr->bind_to_port(d.opt.radioBind, wanted) ? wanted : -1);
        if (port <= 0) {
            std::fprintf(stderr,
                         "demo-portal: warning: cannot listen on %s:%d; the %s radio stream is "
                         "off\n",
                         d.opt.radioBind.c_str(), wanted, q == 0 ? "broadband" : "dial-up");
            continue;
        }
        d.radioBound[q] = port;
        d.radio[q] = std::move(svr);
        httplib::Server* raw = d.radio[q].get();
        d.radioThreads[q] = std::thread([raw] { raw->listen_after_bind(); });
        Impl::waitRunning(*raw);
    }
}

void Portal::stop() {
    Impl& d = *impl_;
    if (!d.started || d.stopped)
        return;
    d.stopped = true;
    {
        std::lock_guard lock(d.stopMutex);
        d.stopping = true;
    }
    d.stopCv.notify_all();
    d.web.stop();
    for (auto& r : d.radio) {
        if (r)
            r->stop();
    }
    d.webThread.join();
    for (auto& t : d.radioThreads) {
        if (t.joinable())
            t.join();
    }
}

int Portal::port() const {
    return impl_->webPort;
}

std::string Portal::baseUrl() const {
    return impl_->base();
}

std::string Portal::radioBase() const {
    return impl_->opt.radioBind.empty() ? std::string() : impl_->scheme() + impl_->opt.radioBind;
}

int Portal::radioPort(int quality) const {
    return quality == 0 || quality == 1 ? impl_->radioBound[quality] : 0;
}

std::string Portal::radioUrl(int quality) const {
    const int p = radioPort(quality);
    return p ? radioBase() + ":" + std::to_string(p) + "/" : std::string();
}

void Portal::setFaults(std::vector<std::string> faults) {
    std::vector<Fault> parsed;
    for (const std::string& faultText : faults) {
        const auto f = parseFault(faultText);
        if (!f)
            throw std::invalid_argument("unknown fault \"" + faultText + "\"");
        parsed.push_back(*f);
    }
    std::lock_guard lock(impl_->mutex);
    impl_->faults = std::move(parsed);
}

int Portal::counterHits() const {
    return impl_->counterHits.load();
}

std::vector<std::string> Portal::requestLog() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->log;
}

std::vector<std::string> Portal::arrivals() const {
    std::lock_guard lock(impl_->mutex);
    return impl_->arrivals;
}

bool Portal::hasArrived(const std::string& methodAndPath) const {
    std::lock_guard lock(impl_->mutex);
    return std::find(impl_->arrivals.begin(), impl_->arrivals.end(), methodAndPath) !=
           impl_->arrivals.end();
}

std::string Portal::serversIni() const {
    const std::string b = baseUrl();
    std::string s =
        "[Servers]\r\nPortal=" + b + "\r\nFavoritesPage=" + b + "/users/%1/favorites/\r\n";
    if (!radioBase().empty())
        s += "Radio=" + radioBase() + "\r\n";
    // The ports bound, which need not be the usual ones; a stream that could
    // not listen leaves the player its default.
    if (radioPort(0))
        s += "RadioPort=" + std::to_string(radioPort(0)) + "\r\n";
    if (radioPort(1))
        s += "RadioDialUpPort=" + std::to_string(radioPort(1)) + "\r\n";
    s += "Update=" + b + "\r\nCounter=" + b + "\r\nHomepage=" + b + "/halvane/\r\nMakerPage=" + b +
         "/listen/maker/\r\nContactMail=contact@halvane.example\r\nSecondMail=support@halvane."
         "example\r\nUpdateKey=" +
         demoPublicKey() + "\r\n";
    return s;
}

void Portal::writeServersIni(const std::string& path) const {
    // Written beside the target and renamed, so a reader never sees half a file.
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << serversIni();
        out.close();
        if (!out)
            throw std::runtime_error("cannot write " + temp);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        std::remove(temp.c_str());
        throw std::runtime_error("cannot write " + path);
    }
}

} // namespace demo
