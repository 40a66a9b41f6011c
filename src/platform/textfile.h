// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>
#include <QStringList>

#include <optional>

// Holder texts: a file's bytes up to its first zero byte, one character per
// byte (Latin-1), so every byte round-trips exactly. What the user sees is
// decoded separately (display()); the stored bytes never change for display.
namespace qv::text {

// Bytes up to the first zero byte, one character per byte.
QString fromBytes(const QByteArray& bytes);
// The bytes a holder text stands for (inverse of fromBytes).
QByteArray toBytes(const QString& holder);

// A whole file's bytes, zero bytes included.
// Throws Error("Cannot open file \"PATH\". REASON") when it cannot be read.
QByteArray readBytes(const QString& path);
// Replaces a file atomically with the bytes: the old file stays whole
// unless the new one was written completely. The reason when it cannot.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);
// Why a write to a file just failed: the system's text for errno, as Qt's
// save file says only "Unknown error". Set errno to 0 before the write.
QString writeFailure(const QIODevice& file);
// The same as replaceFile, throwing Error("Cannot create file \"PATH\". REASON") when it cannot be
// written.
void writeBytes(const QString& path, const QByteArray& bytes);

// Reads a whole file into a holder text.
// Throws Error("Cannot open file \"PATH\". REASON") when it cannot be read.
QString loadFile(const QString& path);

// Replaces a file atomically with the bytes of a holder text.
// Throws Error("Cannot create file \"PATH\". REASON") when it cannot be written.
void saveFile(const QString& path, const QString& holder);

// The CR LF lines of a holder text. A final CR LF adds no line; a bare CR or
// LF is no line break. An empty text has no lines.
QStringList lines(const QString& holder);
// Lines joined with CR LF, with a CR LF after the last one (none for no lines).
QString joinLines(const QStringList& lines);

// Text for the user: UTF-8 when the bytes are valid UTF-8, otherwise Latin-1.
QString display(const QString& holder);
// A title cut from a page as the user reads it: display() and then its HTML
// character references decoded. Only for showing; the holder stays as cut.
QString displayTitle(const QString& holder);
// HTML character references decoded in one pass: the named ones of HTML 4
// and "&apos;", decimal "&#8211;" and hexadecimal "&#x2013;", each ended by
// ';'. A reference that is malformed, unterminated, unknown, zero, a
// surrogate or beyond U+10FFFF stays as written; decoded text is never
// decoded again ("&amp;amp;" gives "&amp;").
QString decodeReferences(const QString& text);
// What the user typed, as a holder text (UTF-8 bytes).
QString fromUser(const QString& typed);

// "Cannot open file "PATH". REASON" with the absolute path.
QString openErrorText(const QString& path, const QString& reason);
// "Cannot create file "PATH". REASON" with the absolute path.
QString createErrorText(const QString& path, const QString& reason);

} // namespace qv::text
