// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>

namespace demo::catalogue {
namespace {

std::uint32_t mix(std::uint32_t x) {
    x ^= x >> 16;
    x *= 0x7feb352dU;
    x ^= x >> 15;
    x *= 0x846ca68bU;
    x ^= x >> 16;
    return x;
}

std::string htmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

void appendLe(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

} // namespace

const std::vector<Genre>& genres() {
    static const std::vector<Genre> table = {
        {"Ambient", 5},
        {"Bluegrass", 1},
        {"Blues", 2},
        {"Brit Pop", 22},
        {"Classical", 3},
        {"Classical Rock", 23},
        {"Country", 4},
        {"Dance", 6},
        {"Drum N Bass", 7},
        {"Dubstep", 41},
        {"Funk", 13},
        {"General Rock", 24},
        {"Goth", 14},
        {"Grunge", 29},
        {"Heavy Metal", 15},
        {"Hip Hop - Modern", 17},
        {"Hip Hop - Olskool", 16},
        {"House", 9},
        {"Indie", 26},
        {"Industrial", 8},
        {"Jazz", 18},
        {"Latin", 19},
        {"Miscellaneous", 39},
        {"New Wave", 20},
        {"Pop", 0},
        {"Punk", 28},
        {"R&B", 21},
        {"Ska", 0},
        {"Techno", 10},
        {"Trance", 11},
        {"Video Game", 12},
    };
    return table;
}

std::string genreName(int list) {
    if (list <= 0)
        return {};
    for (const Genre& g : genres()) {
        if (g.list == list)
            return g.name;
    }
    return {};
}

int songCount(int list) {
    if (genreName(list).empty())
        return 0;
    return list == kDubstepList ? kDubstepSongs : kSongsPerList;
}

std::string songNumber(int list, int index) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%07d", list * 10000 + index);
    return buf;
}

bool parseSongNumber(const std::string& number, int* list, int* index) {
    if (number.size() != 7 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    int value = 0;
    std::from_chars(number.data(), number.data() + number.size(), value);
    const int l = value / 10000;
    const int i = value % 10000;
    if (i < 1 || i > songCount(l))
        return false;
    if (list)
        *list = l;
    if (index)
        *index = i;
    return true;
}

int songSeconds(const std::string& number) {
    int index = 0;
    if (!parseSongNumber(number, nullptr, &index))
        return 0;
    return 3 + (index - 1) % 58;
}

std::string songTitle(const std::string& number) {
    int list = 0;
    int index = 0;
    if (!parseSongNumber(number, &list, &index))
        return {};
    const std::string plain = htmlEscaped(genreName(list)) + " Song " + std::to_string(index);
    // A few titles on every page carry character references or non-ASCII
    // UTF-8, as real submissions do; their common start keeps them spread over
    // the pages of every sort order.
    const int variant = (index / 10) % 3;
    if (index % 10 == 4) {
        const char* extra[] = {"Rock &amp; Roll &#39;Demo&#39;", "&quot;Live&quot;",
                               "Caf&eacute; &#8211; Mix"};
        return plain + " - " + extra[variant];
    }
    if (index % 10 == 8) {
        const char* extra[] = {"Caf\xC3\xA9 Nocturne", "\xC5\xBB\xC3\xB3\xC5\x82w Groove",
                               "\xE6\x9D\xB1\xE4\xBA\xAC Nights"};
        return plain + " - " + extra[variant];
    }
    return plain;
}

int songScore(const std::string& number) {
    if (!parseSongNumber(number))
        return 0;
    // Seeded so that every page still shows some of the special titles.
    return static_cast<int>(mix(static_cast<std::uint32_t>(std::stoi(number)) ^ 3U) % 1000);
}

int songDay(const std::string& number) {
    if (!parseSongNumber(number))
        return 0;
    return static_cast<int>(mix(static_cast<std::uint32_t>(std::stoi(number)) ^ 0x9e3779b9U) %
                            2000);
}

std::string wavHeader(std::uint32_t dataSize, const std::string& name, std::uint32_t rate) {
    std::string info;
    if (!name.empty()) {
        std::string text = name;
        text += '\0';
        if (text.size() % 2)
            text += '\0';
        info = "INFOINAM";
        appendLe(info, static_cast<std::uint32_t>(text.size()), 4);
        info += text;
    }
    std::string h = "RIFF";
    const std::uint32_t listSize = info.empty() ? 0 : 8 + static_cast<std::uint32_t>(info.size());
    const std::uint32_t riffSize =
        dataSize == 0xFFFFFFFFU ? 0xFFFFFFFFU : 4 + (8 + 16) + listSize + 8 + dataSize;
    appendLe(h, riffSize, 4);
    h += "WAVEfmt ";
    appendLe(h, 16, 4);
    appendLe(h, 1, 2);    // PCM
    appendLe(h, 1, 2);    // mono
    appendLe(h, rate, 4); // samples per second
    appendLe(h, rate, 4); // bytes per second
    appendLe(h, 1, 2);    // block align
    appendLe(h, 8, 2);    // bits per sample
    if (!info.empty()) {
        h += "LIST";
        appendLe(h, static_cast<std::uint32_t>(info.size()), 4);
        h += info;
    }
    h += "data";
    appendLe(h, dataSize, 4);
    return h;
}

void appendTone(std::string& out, int hz, std::size_t samples, std::uint32_t& phase,
                std::uint32_t rate) {
    // A quiet triangle wave in integer arithmetic, so every build produces the
    // same bytes.
    constexpr int amplitude = 12;
    const std::uint32_t step =
        static_cast<std::uint32_t>((static_cast<std::uint64_t>(hz) << 32) / rate);
    for (std::size_t i = 0; i < samples; ++i) {
        const std::uint32_t p = phase >> 16;
        const std::uint32_t v = p < 32768 ? p : 65535 - p;
        out += static_cast<char>(128 - amplitude + static_cast<int>(v * 2 * amplitude / 32767));
        phase += step;
    }
}

namespace {

constexpr int kLongestSong = 3 * 3600;   // seconds
constexpr int kLongestTimedSong = 60000; // milliseconds; "9999999" stays no song

// The five digits after a two-digit mark as a number; -1 for another number.
int afterMark(const std::string& number, const char* mark) {
    if (number.size() != 7 || number.compare(0, 2, mark) != 0 ||
        !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return -1;
    return std::stoi(number.substr(2));
}

int timedMilliseconds(const std::string& number) {
    const int ms = afterMark(number, "99");
    return ms > 0 && ms <= kLongestTimedSong ? ms : 0;
}

int longSeconds(const std::string& number) {
    const int seconds = afterMark(number, "97");
    return seconds > 0 && seconds <= kLongestSong ? seconds : 0;
}

std::string markedNumber(const char* mark, int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%s%05d", mark, value);
    return buf;
}

} // namespace

std::string timedSongNumber(int milliseconds) {
    return milliseconds > 0 && milliseconds <= kLongestTimedSong ? markedNumber("99", milliseconds)
                                                                 : std::string();
}

std::string longSongNumber(int seconds) {
    return seconds > 0 && seconds <= kLongestSong ? markedNumber("97", seconds) : std::string();
}

int songMilliseconds(const std::string& number) {
    if (const int ms = timedMilliseconds(number))
        return ms;
    if (const int seconds = longSeconds(number))
        return seconds * 1000;
    return songSeconds(number) * 1000;
}

std::string wav(const std::string& number) {
    if (const int seconds = longSeconds(number)) {
        constexpr std::uint32_t rate = 4000;
        const auto samples = static_cast<std::uint32_t>(seconds) * rate;
        std::string out = wavHeader(samples, "Demo Song " + number, rate);
        out.append(samples, '\x80'); // silence
        return out;
    }
    if (const int ms = timedMilliseconds(number)) {
        const auto samples = static_cast<std::uint32_t>(ms) * 8;
        std::string out = wavHeader(samples, "Demo Song " + number);
        std::uint32_t phase = 0;
        appendTone(out, 220 + 55 * (ms % 8), samples, phase);
        return out;
    }
    int index = 0;
    if (!parseSongNumber(number, nullptr, &index))
        return {};
    const auto samples = static_cast<std::uint32_t>(songSeconds(number) * 8000);
    std::string out = wavHeader(samples, "Demo Song " + number);
    out.reserve(out.size() + samples);
    std::uint32_t phase = 0;
    appendTone(out, 220 + 55 * (index % 8), samples, phase);
    return out;
}

std::string songLink(const std::string& portalBase, const std::string& number) {
    int index = 0;
    parseSongNumber(number, nullptr, &index);
    const std::string path = "/listen/" + number + "/";
    return index % 10 == 0 ? path : portalBase + path;
}

Order orderFromSuffix(const std::string& suffix) {
    if (suffix == "/score")
        return Order::Score;
    if (suffix == "/title")
        return Order::Title;
    if (suffix == "/date")
        return Order::Date;
    return Order::Number;
}

std::vector<std::string> songsInOrder(int list, Order order) {
    std::vector<std::string> songs;
    for (int i = 1; i <= songCount(list); ++i)
        songs.push_back(songNumber(list, i));
    const auto by = [&songs](auto key) {
        std::stable_sort(
            songs.begin(), songs.end(),
            [&key](const std::string& a, const std::string& b) { return key(a) < key(b); });
    };
    switch (order) {
    case Order::Score:
        by([](const std::string& n) { return -songScore(n); });
        break;
    case Order::Date:
        by([](const std::string& n) { return -songDay(n); });
        break;
    case Order::Title:
        by([](const std::string& n) { return songTitle(n); });
        break;
    case Order::Number:
        break;
    }
    return songs;
}

std::vector<std::string> pageSongs(int list, long long page, Order order) {
    const std::vector<std::string> all = songsInOrder(list, order);
    const auto pages = static_cast<long long>((all.size() + kPageSize - 1) / kPageSize);
    if (page < 1 || page > pages)
        return {};
    const auto first = static_cast<std::size_t>(page - 1) * kPageSize;
    const std::size_t last = std::min(all.size(), first + kPageSize);
    return {all.begin() + static_cast<std::ptrdiff_t>(first),
            all.begin() + static_cast<std::ptrdiff_t>(last)};
}

bool knownUser(const std::string& user) {
    return user == "alice" || user == "bob" || user == "carol";
}

std::vector<std::string> favoriteSongs(const std::string& user) {
    std::vector<std::string> songs;
    if (user == "alice") {
        const int picks[][2] = {{18, 1},  {5, 4},  {41, 8}, {2, 10}, {21, 3},   {9, 14},
                                {24, 18}, {3, 58}, {13, 7}, {12, 2}, {11, 130}, {7, 28}};
        for (const auto& p : picks)
            songs.push_back(songNumber(p[0], p[1]));
    } else if (user == "carol") {
        // More than the 700 items a scan takes, spread over every list.
        std::vector<int> lists;
        for (const Genre& g : genres()) {
            if (g.list)
                lists.push_back(g.list);
        }
        const int n = static_cast<int>(lists.size());
        for (int k = 0; k < 701; ++k) {
            const int list = lists[static_cast<std::size_t>(k % n)];
            songs.push_back(songNumber(list, 1 + (k / n) % songCount(list)));
        }
    }
    return songs;
}

std::string aliceDecoySong() {
    return songNumber(20, 5);
}

} // namespace demo::catalogue
