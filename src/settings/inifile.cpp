// SPDX-License-Identifier: GPL-3.0-or-later
#include "inifile.h"

#include "error.h"
#include "integers.h"
#include "logging.h"
#include "paths.h"
#include "textfile.h"

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <optional>

namespace qv {

IniFile IniFile::settings() {
    return IniFile(paths::exeFile(QStringLiteral("settings.ini")));
}

namespace {

const QByteArray kCrLf = QByteArrayLiteral("\r\n");

// One line of the file: its bytes without the line end, and the line end as
// found ("\r\n", "\n" or nothing for a last line without one), so that lines
// nobody changes are written back exactly.
struct Line {
    QByteArray text;
    QByteArray end;
};

QList<Line> splitLines(const QByteArray& bytes) {
    QList<Line> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        const qsizetype lf = bytes.indexOf('\n', start);
        if (lf < 0) {
            lines.append({bytes.mid(start), {}});
            break;
        }
        qsizetype stop = lf;
        if (stop > start && bytes.at(stop - 1) == '\r')
            --stop;
        lines.append({bytes.mid(start, stop - start), bytes.mid(stop, lf + 1 - stop)});
        start = lf + 1;
    }
    return lines;
}

QStringView trimBlanks(QStringView s) {
    while (!s.isEmpty() && (s.front() == u' ' || s.front() == u'\t'))
        s = s.mid(1);
    while (!s.isEmpty() && (s.back() == u' ' || s.back() == u'\t'))
        s.chop(1);
    return s;
}

// What a line means to the reader: a section header, a key with its value,
// or nothing (blank line, comment, junk).
struct Parsed {
    enum Kind { Other, Section, Key } kind = Other;
    QString name;
    QString value;
};

Parsed parseLine(const QByteArray& bytes, bool first) {
    QString decoded = QString::fromUtf8(bytes);
    if (first && decoded.startsWith(QChar(0xFEFF))) // byte order mark of an edited file
        decoded.remove(0, 1);
    const QStringView line = trimBlanks(decoded);
    if (line.isEmpty() || line.front() == u';')
        return {};
    if (line.front() == u'[') {
        const qsizetype close = line.indexOf(u']');
        if (close < 0)
            return {};
        return {Parsed::Section, trimBlanks(line.mid(1, close - 1)).toString(), {}};
    }
    const qsizetype equals = line.indexOf(u'=');
    if (equals <= 0)
        return {};
    QStringView value = trimBlanks(line.mid(equals + 1));
    if (value.size() >= 2 && value.front() == u'"' && value.back() == u'"')
        value = value.mid(1, value.size() - 2);
    return {Parsed::Key, trimBlanks(line.left(equals)).toString(), value.toString()};
}

bool sameName(const QString& a, const QString& b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Where a key lives in the file: the index of its line, or, when it is
// missing, where a new key line belongs (-1: the section is missing too).
struct Location {
    std::optional<qsizetype> keyLine;
    qsizetype insertAfter = -1;
    QString value;
};

// The first section and, within it, the first key of that name count; later
// duplicates are ignored for reading and writing alike.
Location locate(const QList<Line>& lines, const QString& section, const QString& key) {
    Location where;
    bool inSection = false;
    bool sectionSeen = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Parsed p = parseLine(lines[i].text, i == 0);
        if (p.kind == Parsed::Section) {
            if (inSection)
                break;
            inSection = !sectionSeen && sameName(p.name, section);
            if (inSection) {
                sectionSeen = true;
                where.insertAfter = i;
            }
        } else if (inSection && p.kind == Parsed::Key) {
            if (sameName(p.name, key)) {
                where.keyLine = i;
                where.value = p.value;
                return where;
            }
            where.insertAfter = i;
        }
    }
    return where;
}

std::optional<QByteArray> readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    return file.readAll();
}

std::optional<QString> readValue(const QString& path, const QString& section, const QString& key) {
    const std::optional<QByteArray> bytes = readBytes(path);
    if (!bytes)
        return std::nullopt;
    const Location where = locate(splitLines(*bytes), section, key);
    if (!where.keyLine)
        return std::nullopt;
    QString value = where.value;
    if (value.size() > IniFile::kMaxValueLength) {
        qsizetype length = IniFile::kMaxValueLength;
        if (value.at(length - 1).isHighSurrogate()) // don't split a character
            --length;
        value.truncate(length);
    }
    return value;
}

} // namespace

bool IniFile::readBool(const QString& section, const QString& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

int IniFile::readInteger(const QString& section, const QString& key, int fallback) const {
    const std::optional<QString> value = readValue(path_, section, key);
    if (!value)
        return fallback;
    const std::optional<int> number = text::strictInteger(*value, {.hexPrefix = true});
    if (!number)
        qCDebug(lcSettings).noquote()
            << path_ << section << key << "=" << *value << "is no number;" << fallback << "is used";
    return number.value_or(fallback);
}

QString IniFile::readString(const QString& section, const QString& key,
                            const QString& fallback) const {
    return readValue(path_, section, key).value_or(fallback);
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    const auto fail = [this] {
        throw Error(QStringLiteral("Unable to write to ") + QFileInfo(path_).absoluteFilePath());
    };

    // A file that exists but cannot be read would be lost by rewriting it.
    QList<Line> lines;
    if (const std::optional<QByteArray> bytes = readBytes(path_))
        lines = splitLines(*bytes);
    else if (QFileInfo::exists(path_))
        fail();

    // A line break in the value would end its line and corrupt the layout.
    QString flat = value;
    flat.replace(QLatin1StringView("\r\n"), QLatin1StringView(" "));
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    const QByteArray valueBytes = flat.toUtf8();

    const Location where = locate(lines, section, key);
    if (where.keyLine) {
        // Keep the key as the file spells it (up to its '='), replace the value.
        Line& line = lines[*where.keyLine];
        line.text = line.text.left(line.text.indexOf('=') + 1) + valueBytes;
        line.end = kCrLf;
    } else {
        QList<Line> added;
        qsizetype at = where.insertAfter + 1;
        if (where.insertAfter < 0) {
            added.append({'[' + section.toUtf8() + ']', kCrLf});
            at = lines.size();
        }
        added.append({key.toUtf8() + '=' + valueBytes, kCrLf});
        if (at > 0 && lines[at - 1].end.isEmpty())
            lines[at - 1].end = kCrLf;
        for (const Line& line : added)
            lines.insert(at++, line);
    }

    QByteArray bytes;
    for (const Line& line : lines)
        bytes += line.text + line.end;
    if (text::replaceFile(path_, bytes))
        fail();
}

void IniFile::erase() {
    QFile::remove(path_);
}

} // namespace qv
