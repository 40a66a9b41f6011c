// SPDX-License-Identifier: GPL-3.0-or-later
#include "playliststore.h"

#include "error.h"
#include "paths.h"
#include "textfile.h"

#include <QFile>
#include <algorithm>
#include <utility>

namespace qv::playlist {

Entries shownEntries(const QString& text) {
    const QStringList lines = text::lines(text);
    Entries entries;
    entries.titles.reserve(lines.size() / 2 + 1);
    entries.links.reserve(lines.size() / 2 + 1);
    for (qsizetype i = 0; i < lines.size() && !lines[i].isEmpty(); i += 2) {
        entries.titles << lines[i];
        entries.links << (i + 1 < lines.size() ? lines[i + 1] : QString());
    }
    return entries;
}

bool validName(const QString& name) {
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    return std::none_of(name.begin(), name.end(), [](QChar c) {
        return c == QLatin1Char('/') || c == QLatin1Char('\\') || c.unicode() < 0x20 ||
               c.unicode() == 0x7f;
    });
}

std::optional<QString> refusal(const QString& name, const QString& namesText) {
    if (name.isEmpty())
        return QStringLiteral("Please fill in a playlist name");
    if (text::lines(namesText).contains(name))
        return QStringLiteral("Playlist already exists");
    if (!validName(name))
        return QStringLiteral("Please enter a valid playlist name");
    return std::nullopt;
}

namespace {

QString below(Base base, const QString& relative) {
    return base == Base::Exe ? paths::exeFile(relative) : paths::workFile(relative);
}

QString whyNot(const QString& name) {
    return name.isEmpty() ? QStringLiteral("No playlist is chosen")
                          : QStringLiteral("Not a valid playlist name");
}

} // namespace

QString namesPath(Base base) {
    return below(base, QStringLiteral("Playlists/playlists.ini"));
}

QString path(Base base, const QString& name) {
    return below(base, QStringLiteral("Playlists/") + QFile::decodeName(text::toBytes(name)) +
                           QStringLiteral(".qvl"));
}

QByteArray loadBytes(Base base, const QString& name) {
    const QString file = path(base, name);
    if (!validName(name))
        throw Error(text::openErrorText(file, whyNot(name)));
    return text::readBytes(file);
}

void saveBytes(Base base, const QString& name, const QByteArray& bytes) {
    const QString file = path(base, name);
    if (!validName(name))
        throw Error(text::createErrorText(file, whyNot(name)));
    text::writeBytes(file, bytes);
}

QString load(Base base, const QString& name) {
    return text::fromBytes(loadBytes(base, name));
}

void save(Base base, const QString& name, const QString& text) {
    saveBytes(base, name, text::toBytes(text));
}

QStringList entryLines(const QString& title, const QString& link) {
    const QString lineBreak = QStringLiteral("\r\n");
    const QString blank = QStringLiteral(" ");
    return {title.isEmpty() ? blank : QString(title).replace(lineBreak, blank),
            QString(link).replace(lineBreak, blank)};
}

QString withLines(const QString& text, const QStringList& added) {
    return text::joinLines(text::lines(text) + added);
}

QString withoutLine(const QString& text, qsizetype index) {
    QStringList lines = text::lines(text);
    if (index < 0 || index >= lines.size())
        return text;
    lines.removeAt(index);
    return text::joinLines(lines);
}

QString withoutEntry(const QString& text, qsizetype k) {
    QStringList lines = text::lines(text);
    // k is checked against the entry count before it is doubled: any k,
    // however far out, leaves the text unchanged.
    if (k < 0 || k >= (lines.size() + 1) / 2)
        return text;
    const qsizetype first = 2 * k;
    lines.remove(first, std::min<qsizetype>(2, lines.size() - first));
    return text::joinLines(lines);
}

std::optional<QString> withEntriesSwapped(const QString& text, qsizetype a, qsizetype b) {
    QStringList lines = text::lines(text);
    if (a < 0 || b < 0 || std::max(a, b) >= (lines.size() + 1) / 2)
        return std::nullopt;
    while (lines.size() < 2 * std::max(a, b) + 2)
        lines << QString();
    lines.swapItemsAt(2 * a, 2 * b);
    lines.swapItemsAt(2 * a + 1, 2 * b + 1);
    return text::joinLines(lines);
}

} // namespace qv::playlist
