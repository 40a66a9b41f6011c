// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// The demo portal's songs. Everything is computed from the list number and the
// song's index in its list, so every run (and every test) sees the same
// catalogue without any data files.
namespace demo::catalogue {

struct Genre {
    const char* name;
    int list; // 0: the genre has no list on the portal ("Pop", "Ska")
};

// The genres in the order the player offers them (alphabetical).
const std::vector<Genre>& genres();
// The genre name of a list number; empty for an unknown list.
std::string genreName(int list);

constexpr int kSongsPerList = 130;
constexpr int kDubstepList = 41;
constexpr int kDubstepSongs = 23;
constexpr int kPageSize = 50;

int songCount(int list); // 0 for an unknown list
// "%07d" of list * 10000 + index; index counts from 1 (Jazz 17: "0180017").
std::string songNumber(int list, int index);
// Whether the number is a song of the catalogue; list and index when it is.
bool parseSongNumber(const std::string& number, int* list = nullptr, int* index = nullptr);

int songSeconds(const std::string& number); // 0 for an unknown number
// The title exactly as the pages write it: HTML character references stay,
// other text is UTF-8. Empty for an unknown number.
std::string songTitle(const std::string& number);
int songScore(const std::string& number); // 0..999, for the "/score" order
int songDay(const std::string& number);   // days since the portal opened, for "/date"
// Songs in no list, for trying out the end of a song: "99" and five digits
// is a song of that many milliseconds up to a minute (a tone at 8 kHz, as
// the listed songs);
// "97" and five digits a silent song of that many seconds at 4 kHz, so that
// 101 minutes take 24 MB (up to 3 hours). Their numbers; empty out of range.
std::string timedSongNumber(int milliseconds);
std::string longSongNumber(int seconds);
// The length of any song the portal serves, listed or not; 0 for none.
int songMilliseconds(const std::string& number);

// The song file: 8 kHz mono 8-bit PCM WAV (4 kHz for a long song) with a
// LIST/INFO/INAM name "Demo Song NNNNNNN". Empty for an unknown number.
std::string wav(const std::string& number);
// The pieces of such a file: a header (dataSize 0xFFFFFFFF for an endless
// stream; name empty for no INFO chunk) and a quiet tone continuing at phase.
std::string wavHeader(std::uint32_t dataSize, const std::string& name, std::uint32_t rate = 8000);
void appendTone(std::string& out, int hz, std::size_t samples, std::uint32_t& phase,
                std::uint32_t rate = 8000);

// A song's link as every page writes it: songs whose index is a multiple of 10
// get a relative link ("/listen/0018010/"), the others an absolute one.
std::string songLink(const std::string& portalBase, const std::string& number);

enum class Order { Number, Score, Title, Date };
// "/score", "/title", "/date" or "" (the list page address suffixes).
Order orderFromSuffix(const std::string& suffix);
// All songs of a list in the order of its list pages: score and date highest
// first, titles by their bytes, otherwise by number.
std::vector<std::string> songsInOrder(int list, Order order);
// The songs of one list page (pages count from 1); empty past the last page,
// for page <= 0 and for an unknown list.
std::vector<std::string> pageSongs(int list, long long page, Order order);

// Favourites pages: "alice" (12 songs), "bob" (none), "carol" (701 songs).
bool knownUser(const std::string& user);
// The songs listed under the "Favorite Audio Submissions" heading, in page order.
std::vector<std::string> favoriteSongs(const std::string& user);
// The song alice's page lists before that heading (a scan must not take it).
std::string aliceDecoySong();

} // namespace demo::catalogue
