// SPDX-License-Identifier: GPL-3.0-or-later
// Playlist texts: the input up to its first zero byte is a playlist file as
// the player reads it (text::fromBytes); the bytes after it choose the
// entries to edit, an entry to add and a playlist name.
#include "error.h"
#include "fuzzcheck.h"
#include "paths.h"
#include "playliststore.h"
#include "textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <fuzzer/FuzzedDataProvider.h>
#include <limits>
#include <optional>

namespace pl = qv::playlist;
namespace text = qv::text;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A working directory with "Playlists" for the file round trip.
void useTemporaryWorkDir() {
    static const QString dir = qv::fuzz::scratchDir();
    static const bool made = QDir(dir).mkpath(QStringLiteral("Playlists"));
    QV_FUZZ_CHECK(made);
    qv::paths::setWorkDir(dir);
}

// The shown entries are the line pairs from the start: entry i is lines 2i
// and 2i + 1 (an empty link when that is missing), every title non-empty, and
// what follows the last one is an empty title or nothing.
void checkShown(const QStringList& lines, const pl::Entries& shown) {
    QV_FUZZ_CHECK(shown.titles.size() == shown.links.size());
    const qsizetype n = shown.titles.size();
    for (qsizetype i = 0; i < n; ++i) {
        QV_FUZZ_CHECK(!shown.titles[i].isEmpty() && shown.titles[i] == lines.value(2 * i));
        QV_FUZZ_CHECK(shown.links[i] == lines.value(2 * i + 1));
    }
    QV_FUZZ_CHECK(2 * n >= lines.size() || lines[2 * n].isEmpty());
}

// Entries that have a title line, shown or not.
qsizetype entryCount(const QStringList& lines) {
    return (lines.size() + 1) / 2;
}

// Deleting entry k takes out its title and link lines and nothing else; a
// shown entry leaves the list without exactly that row.
void checkWithoutEntry(const QString& playlist, const QStringList& lines, const pl::Entries& shown,
                       qsizetype k) {
    const QString result = pl::withoutEntry(playlist, k);
    if (k < 0 || k >= entryCount(lines)) {
        QV_FUZZ_CHECK(result == playlist);
        return;
    }
    QStringList expected = lines;
    expected.remove(2 * k, std::min<qsizetype>(2, lines.size() - 2 * k));
    QV_FUZZ_CHECK(text::lines(result) == expected);
    QV_FUZZ_CHECK(result == text::joinLines(expected));
    if (k < shown.titles.size()) {
        pl::Entries rest = shown;
        rest.titles.removeAt(k);
        rest.links.removeAt(k);
        const pl::Entries after = pl::shownEntries(result);
        QV_FUZZ_CHECK(after.titles == rest.titles && after.links == rest.links);
    }
}

// Moving an entry trades two line pairs (a missing last link becoming an
// empty line); shown entries trade their rows.
void checkSwapped(const QString& playlist, const QStringList& lines, const pl::Entries& shown,
                  qsizetype a, qsizetype b) {
    const std::optional<QString> result = pl::withEntriesSwapped(playlist, a, b);
    if (a < 0 || b < 0 || a >= entryCount(lines) || b >= entryCount(lines)) {
        QV_FUZZ_CHECK(!result);
        return;
    }
    QV_FUZZ_CHECK(result.has_value());
    QStringList expected = lines;
    if (2 * std::max(a, b) + 1 == lines.size())
        expected << QString();
    expected.swapItemsAt(2 * a, 2 * b);
    expected.swapItemsAt(2 * a + 1, 2 * b + 1);
    QV_FUZZ_CHECK(text::lines(*result) == expected);
    if (a < shown.titles.size() && b < shown.titles.size()) {
        pl::Entries moved = shown;
        moved.titles.swapItemsAt(a, b);
        moved.links.swapItemsAt(a, b);
        const pl::Entries after = pl::shownEntries(*result);
        QV_FUZZ_CHECK(after.titles == moved.titles && after.links == moved.links);
    }
}

// Adding a song appends its two lines, whatever the title and link hold; a
// playlist whose every line is shown then shows the song as its last row.
void checkAdded(const QString& playlist, const QStringList& lines, const pl::Entries& shown,
                const QString& title, const QString& link) {
    const QStringList added = pl::entryLines(title, link);
    QV_FUZZ_CHECK(added.size() == 2 && !added[0].contains(kCrLf) && !added[1].contains(kCrLf));
    const QString result = pl::withLines(playlist, added);
    QV_FUZZ_CHECK(result.endsWith(kCrLf));
    QV_FUZZ_CHECK(text::lines(result) == lines + added);
    if (lines.size() == 2 * shown.titles.size()) {
        const pl::Entries after = pl::shownEntries(result);
        QV_FUZZ_CHECK(after.titles == shown.titles + QStringList{added[0]});
        QV_FUZZ_CHECK(after.links == shown.links + QStringList{added[1]});
    }
}

// A name is refused for being empty, listed or not valid, in that order; a
// valid one names a file directly inside "Playlists" and, once listed, is
// refused as a duplicate.
void checkName(const QString& names, const QString& name) {
    const std::optional<QString> why = pl::refusal(name, names);
    if (name.isEmpty())
        QV_FUZZ_CHECK(why == QStringLiteral("Please fill in a playlist name"));
    else if (text::lines(names).contains(name))
        QV_FUZZ_CHECK(why == QStringLiteral("Playlist already exists"));
    else
        QV_FUZZ_CHECK(why.has_value() != pl::validName(name));
    if (!pl::validName(name)) {
        try {
            pl::loadBytes(pl::Base::Work, name);
            QV_FUZZ_CHECK(false && "a name that is not valid named a file");
        } catch (const qv::Error&) {
        }
        return;
    }
    QV_FUZZ_CHECK(!name.isEmpty() && name != u"." && name != u"..");
    const QFileInfo file(pl::path(pl::Base::Work, name));
    QV_FUZZ_CHECK(file.fileName() ==
                  QFile::decodeName(text::toBytes(name)) + QStringLiteral(".qvl"));
    QV_FUZZ_CHECK(file.absolutePath() ==
                  QFileInfo(qv::paths::workFile(QStringLiteral("Playlists"))).absoluteFilePath());
    QV_FUZZ_CHECK(pl::refusal(name, pl::withLines(names, {name})) ==
                  QStringLiteral("Playlist already exists"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    useTemporaryWorkDir();
    const QByteArray bytes = qv::fuzz::bytes(data, size);
    const QString playlist = text::fromBytes(bytes);
    const qsizetype zero = bytes.indexOf('\0');
    const QByteArray params = zero < 0 ? QByteArray() : bytes.mid(zero + 1);
    FuzzedDataProvider rest(reinterpret_cast<const std::uint8_t*>(params.constData()),
                            std::size_t(params.size()));

    const QStringList lines = text::lines(playlist);
    QV_FUZZ_CHECK(text::lines(text::joinLines(lines)) == lines);
    const pl::Entries shown = pl::shownEntries(playlist);
    checkShown(lines, shown);

    const qsizetype n = shown.titles.size();
    for (const qsizetype k :
         {qsizetype(-1), qsizetype(0), n - 1, n, entryCount(lines) - 1, entryCount(lines),
          rest.ConsumeIntegralInRange<qsizetype>(-2, entryCount(lines) + 1),
          rest.ConsumeIntegral<qsizetype>()})
        checkWithoutEntry(playlist, lines, shown, k);

    checkSwapped(playlist, lines, shown, n - 2, n - 1);
    const qsizetype a = rest.ConsumeIntegralInRange<qsizetype>(-1, entryCount(lines));
    const qsizetype b = rest.ConsumeIntegralInRange<qsizetype>(-1, entryCount(lines));
    checkSwapped(playlist, lines, shown, a, b);
    checkSwapped(playlist, lines, shown, a, rest.ConsumeIntegral<qsizetype>());

    const auto holder = [&rest] {
        const std::string s = rest.ConsumeRandomLengthString(300);
        return QString::fromLatin1(s.data(), qsizetype(s.size()));
    };
    const QString title = holder();
    const QString link = holder();
    checkAdded(playlist, lines, shown, title, link);

    // The input as the names list, a name from the input.
    checkName(playlist, holder());

    // A playlist file holds exactly the text's bytes.
    pl::save(pl::Base::Work, QStringLiteral("fuzz"), playlist);
    QV_FUZZ_CHECK(pl::loadBytes(pl::Base::Work, QStringLiteral("fuzz")) == text::toBytes(playlist));
    QV_FUZZ_CHECK(pl::load(pl::Base::Work, QStringLiteral("fuzz")) == playlist);
    return 0;
}
