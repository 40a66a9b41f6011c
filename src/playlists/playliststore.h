// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// The own playlists on disk: "Playlists/playlists.ini" names them, one per
// CR LF line, and each "<name>.qvl" holds pairs of lines (title, song link).
// Everything here works on holder texts (one character per byte), so lines
// the player does not show are written back exactly as they were read.
namespace qv::playlist {

// The base directory a file is taken from: the executable's or the working
// directory (the same one when the player is started from its own directory).
enum class Base { Exe, Work };

// "Playlists/playlists.ini" below the base.
QString namesPath(Base base);
// "Playlists/<name>.qvl" below the base; the name's bytes are the file name's.
QString path(Base base, const QString& name);

// A playlist file's text, or its bytes (zero bytes included). A name that is
// not valid (below) names no file, whatever the file system holds.
// Throw Error("Cannot open file ...") / Error("Cannot create file ...").
QString load(Base base, const QString& name);
void save(Base base, const QString& name, const QString& text);
QByteArray loadBytes(Base base, const QString& name);
void saveBytes(Base base, const QString& name, const QByteArray& bytes);

// The entries a playlist shows: pairs of lines up to the first empty title.
// A last title without its link line gets an empty link.
struct Entries {
    QStringList titles;
    QStringList links;
};
Entries shownEntries(const QString& text);

// Whether a name can be a playlist's file name inside "Playlists": not empty,
// not "." or "..", no path separator, no control character.
bool validName(const QString& name);

// Why a name typed for a new playlist is refused, or nothing when it is fine.
// Names compare exactly, letter case counts.
std::optional<QString> refusal(const QString& name, const QString& namesText);

// An entry's two lines. Pages are cut verbatim, so a title or link may hold
// a line break, which would split the entry and shift every later pair: it
// becomes a blank. An empty title would end the shown entries there, hiding
// the song and every one added after it: it becomes a blank too.
QStringList entryLines(const QString& title, const QString& link);

// The text with lines appended. A text without its final line break gets one
// first; the result always ends with one.
QString withLines(const QString& text, const QStringList& added);
// The text without line `index` (unchanged when there is no such line).
QString withoutLine(const QString& text, qsizetype index);
// The text without entry k's title and link lines (as far as they exist).
QString withoutEntry(const QString& text, qsizetype k);
// The text with entries a and b trading places as line pairs. A missing link
// line counts as empty; nothing when either title line is missing.
std::optional<QString> withEntriesSwapped(const QString& text, qsizetype a, qsizetype b);

} // namespace qv::playlist
