// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <utility>

namespace qv {

// An INI file read and written key by key, with no cache: every read opens
// the file, every write replaces it atomically at once. Section and key
// names match without regard to case; lines end in CR LF; a new key goes to
// the end of its section, a new section to the end of the file. Text is
// UTF-8.
class IniFile {
public:
    explicit IniFile(QString path) : path_(std::move(path)) {}

    // The player's "settings.ini" beside the executable.
    static IniFile settings();

    const QString& path() const { return path_; }

    // Each reader returns its default for a missing file, section or key.
    // A flag is an integer: non-zero is on; an unreadable value gives the default.
    bool readBool(const QString& section, const QString& key, bool fallback) const;
    // Decimal with an optional leading '-'; a value longer than two characters
    // starting with "0x" or "0X" is hexadecimal; anything else gives the default.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    // The value as written (at most 2047 characters); an empty value is the
    // empty text, not the default.
    QString readString(const QString& section, const QString& key, const QString& fallback) const;

    // Writers throw Error("Unable to write to " + absolute path) on failure;
    // the file then stays as it was.
    void writeBool(const QString& section, const QString& key, bool value);
    void writeInteger(const QString& section, const QString& key, int value);
    void writeString(const QString& section, const QString& key, const QString& value);

    // Deletes the file; a missing file is not an error.
    void erase();

    static constexpr int kMaxValueLength = 2047;

private:
    QString path_;
};

} // namespace qv
