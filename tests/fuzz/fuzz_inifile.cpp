// SPDX-License-Identifier: GPL-3.0-or-later
// settings.ini as found on disk: arbitrary bytes are read through IniFile
// for sections and keys named in the input, then written on a copy and read
// back.
#include "error.h"
#include "fuzzcheck.h"
#include "inifile.h"

#include <QFile>
#include <QList>
#include <QStringList>
#include <optional>
#include <utility>

using qv::IniFile;

namespace {

// A fallback no reader would return for a present key.
const QString kMissing = QStringLiteral("\x01missing");

QString dirPath() {
    return qv::fuzz::scratchDir();
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QV_FUZZ_CHECK(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QV_FUZZ_CHECK(file.write(bytes) == bytes.size());
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    QV_FUZZ_CHECK(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}

// A name the program could pass: one that can stand on its own line and
// be read back as itself (the program's names are fixed words).
bool usableName(const QString& name, char16_t closing) {
    if (name.isEmpty() || isBlank(name.front()) || isBlank(name.back()) || name.front() == u';' ||
        name.front() == u'[' || name.front() == QChar(0xFEFF))
        return false;
    if (name.contains(u'\r') || name.contains(u'\n') || name.contains(QChar(closing)))
        return false;
    return QString::fromUtf8(name.toUtf8()) == name; // no lone surrogate
}

void addName(QStringList& names, const QString& name, char16_t closing) {
    if (names.size() < 3 && usableName(name, closing) && !names.contains(name, Qt::CaseInsensitive))
        names << name;
}

// Section and key names found in the input by a rough look at its lines,
// after a fixed pair the program itself uses.
std::pair<QStringList, QStringList> namesIn(const QByteArray& bytes) {
    QStringList sections{QStringLiteral("Hotkeys")};
    QStringList keys{QStringLiteral("Play")};
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype i = 0; i < std::min<qsizetype>(lines.size(), 64); ++i) {
        QString line = QString::fromUtf8(lines[i]).trimmed();
        if (line.startsWith(QChar(0xFEFF)))
            line.remove(0, 1);
        if (line.startsWith(u'[') && line.contains(u']'))
            addName(sections, line.mid(1, line.indexOf(u']') - 1).trimmed(), u']');
        else if (line.indexOf(u'=') > 0)
            addName(keys, line.left(line.indexOf(u'=')).trimmed(), u'=');
    }
    return {sections, keys};
}

struct Pair {
    QString section;
    QString key;
    bool is(const QString& s, const QString& k) const {
        return section.compare(s, Qt::CaseInsensitive) == 0 &&
               key.compare(k, Qt::CaseInsensitive) == 0;
    }
};

// The readers agree with one another: a missing key gives every default,
// a flag is an integer, and a value is one line of at most 2047 characters.
void checkReaders(const IniFile& ini, const Pair& p) {
    const QString value = ini.readString(p.section, p.key, kMissing);
    const int integer = ini.readInteger(p.section, p.key, 7);
    QV_FUZZ_CHECK(ini.readBool(p.section, p.key, true) ==
                  (ini.readInteger(p.section, p.key, 1) != 0));
    QV_FUZZ_CHECK(ini.readBool(p.section, p.key, false) ==
                  (ini.readInteger(p.section, p.key, 0) != 0));
    if (value == kMissing) {
        QV_FUZZ_CHECK(integer == 7);
        QV_FUZZ_CHECK(ini.readString(p.section, p.key, QString()).isNull());
        return;
    }
    QV_FUZZ_CHECK(value.size() <= IniFile::kMaxValueLength);
    QV_FUZZ_CHECK(!value.contains(u'\n'));
    // Only a readable number ignores the default.
    if (integer != 7 || ini.readInteger(p.section, p.key, 8) != 8) {
        QV_FUZZ_CHECK(integer == ini.readInteger(p.section, p.key, 8));
        QV_FUZZ_CHECK(integer == value.toInt(nullptr, 10) ||
                      value.startsWith(u"0x", Qt::CaseInsensitive));
    }
}

// What a written value reads back as, when the class promises it: line breaks
// become blanks and long values are cut; values the reader would trim or
// unquote are left out.
std::optional<QString> readsBackAs(const QString& value) {
    QString flat = value;
    flat.replace(QLatin1StringView("\r\n"), QLatin1StringView(" "));
    flat.replace(u'\r', u' ').replace(u'\n', u' ');
    flat = QString::fromUtf8(flat.toUtf8());
    if (!flat.isEmpty() && (isBlank(flat.front()) || isBlank(flat.back())))
        return std::nullopt;
    if (flat.size() >= 2 && flat.front() == u'"' && flat.back() == u'"')
        return std::nullopt;
    if (flat.size() > IniFile::kMaxValueLength) {
        qsizetype length = IniFile::kMaxValueLength;
        if (flat.at(length - 1).isHighSurrogate())
            --length;
        flat.truncate(length);
    }
    return flat;
}

// Writes one value and checks it reads back while every other key keeps its
// value, and that writing the same value again changes no byte.
void checkWrite(IniFile& ini, const QList<Pair>& pairs, const Pair& target, const QString& value) {
    QStringList before;
    for (const Pair& p : pairs)
        before << ini.readString(p.section, p.key, kMissing);
    ini.writeString(target.section, target.key, value);
    if (const std::optional<QString> expected = readsBackAs(value))
        QV_FUZZ_CHECK(ini.readString(target.section, target.key, kMissing) == *expected);
    else
        QV_FUZZ_CHECK(ini.readString(target.section, target.key, kMissing) != kMissing);
    for (qsizetype i = 0; i < pairs.size(); ++i) {
        if (!pairs[i].is(target.section, target.key))
            QV_FUZZ_CHECK(ini.readString(pairs[i].section, pairs[i].key, kMissing) == before[i]);
    }
    const QByteArray written = readFile(ini.path());
    ini.writeString(target.section, target.key, value);
    QV_FUZZ_CHECK(readFile(ini.path()) == written);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes = qv::fuzz::bytes(data, size);
    const QString path = dirPath() + QStringLiteral("/settings.ini");
    writeFile(path, bytes);

    const auto [sections, keys] = namesIn(bytes);
    QList<Pair> pairs;
    for (const QString& s : sections) {
        for (const QString& k : keys)
            pairs.append({s, k});
    }
    const IniFile ini(path);
    for (const Pair& p : pairs)
        checkReaders(ini, p);

    // The writers, on a copy; which key and value is up to the input.
    IniFile copy(dirPath() + QStringLiteral("/copy.ini"));
    writeFile(copy.path(), bytes);
    const Pair target{sections[size > 0 ? data[0] % sections.size() : 0],
                      keys[size > 1 ? data[size - 1] % keys.size() : 0]};
    const QString lastLine = QString::fromUtf8(bytes.mid(bytes.lastIndexOf('\n') + 1));
    try {
        checkWrite(copy, pairs, target, lastLine);
        checkWrite(copy, pairs, target,
                   lastLine.repeated(lastLine.isEmpty() ? 1 : 2100 / lastLine.size() + 1));
        int number = 0;
        for (std::size_t i = 0; i < std::min<std::size_t>(size, 4); ++i)
            number = int(unsigned(number) << 8 | data[size - 1 - i]);
        copy.writeInteger(target.section, target.key, number);
        QV_FUZZ_CHECK(copy.readInteger(target.section, target.key, number ^ 1) == number);
        copy.writeBool(target.section, target.key, number & 1);
        QV_FUZZ_CHECK(copy.readBool(target.section, target.key, !(number & 1)) == bool(number & 1));
    } catch (const qv::Error&) {
        QV_FUZZ_CHECK(false && "writing to a temporary directory failed");
    }

    // A new file holds the new section and key, lines ending in CR LF.
    copy.erase();
    QV_FUZZ_CHECK(copy.readString(target.section, target.key, kMissing) == kMissing);
    copy.writeString(target.section, target.key, QStringLiteral("v"));
    QV_FUZZ_CHECK(readFile(copy.path()) ==
                  '[' + target.section.toUtf8() + "]\r\n" + target.key.toUtf8() + "=v\r\n");
    return 0;
}
