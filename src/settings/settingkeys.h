// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "inifile.h"

#include <QString>

// Every key of "settings.ini" with its section and the value its reader
// takes when the key (or the file) is missing, declared once; readers and
// writers name these instead of spelling keys out. The key names are those
// the stored files use, misspellings included ("Ceckforupdates").
namespace qv::settings {

template <typename T> struct Key {
    const char* section;
    const char* name;
    T fallback;
};
using Flag = Key<bool>;
using Number = Key<int>;
using Text = Key<const char*>;

inline bool read(const IniFile& ini, const Flag& key) {
    return ini.readBool(QLatin1String(key.section), QLatin1String(key.name), key.fallback);
}
inline int read(const IniFile& ini, const Number& key) {
    return ini.readInteger(QLatin1String(key.section), QLatin1String(key.name), key.fallback);
}
inline QString read(const IniFile& ini, const Text& key) {
    return ini.readString(QLatin1String(key.section), QLatin1String(key.name),
                          QString::fromUtf8(key.fallback));
}
// Each write is one key, as the settings window writes them one after the other.
inline void write(IniFile& ini, const Flag& key, bool value) {
    ini.writeBool(QLatin1String(key.section), QLatin1String(key.name), value);
}
inline void write(IniFile& ini, const Number& key, int value) {
    ini.writeInteger(QLatin1String(key.section), QLatin1String(key.name), value);
}
inline void write(IniFile& ini, const Text& key, const QString& value) {
    ini.writeString(QLatin1String(key.section), QLatin1String(key.name), value);
}

// [Skin]
inline constexpr Flag kSkinEnabled{"Skin", "Enabled", true};
inline constexpr Text kSkinName{"Skin", "Name", "WMP 2008"}; // the built-in skin
inline constexpr Flag kExtendedBorders{"Skin", "EXTBorders", true};
inline constexpr Flag kGlowing{"Skin", "Glowing", true};
inline constexpr Flag kHueEnabled{"Skin", "HUE_enabled", true};
inline constexpr Number kHue{"Skin", "HUE", 0};

// [General]
inline constexpr Flag kCheckForUpdates{"General", "Ceckforupdates", true};
inline constexpr Flag kReportStarts{"General", "Reportstarts", true};
inline constexpr Flag kMinimizeToTray{"General", "MinimizeToTray", true};
inline constexpr Flag kShowTrayIcon{"General", "ShowTrayicon", true};

// [Hotkeys]: the combinations as shortcut text, and whether each row is ticked.
inline constexpr Flag kHotkeysEnabled{"Hotkeys", "General_enabled", false};
inline constexpr Text kPlayKey{"Hotkeys", "Play", ""};
inline constexpr Text kNextKey{"Hotkeys", "Next", ""};
inline constexpr Text kPreviousKey{"Hotkeys", "Previous", ""};
inline constexpr Text kMinimizeKey{"Hotkeys", "Minimize", ""};
inline constexpr Flag kPlayKeyEnabled{"Hotkeys", "Play_enabled", false};
inline constexpr Flag kNextKeyEnabled{"Hotkeys", "Next_enabled", false};
inline constexpr Flag kPreviousKeyEnabled{"Hotkeys", "Previous_enabled", false};
inline constexpr Flag kMinimizeKeyEnabled{"Hotkeys", "Minimize_enabled", false};

// [Favorites]
inline constexpr Text kLoginName{"Favorites", "Loginname", ""};
// One key, two readers with different defaults by design: the login window
// starts with "Remember this Name" ticked when the key is missing, while
// "Favorite songs" fetches on its own only when the key says so.
inline constexpr Flag kAutologinInLoginWindow{"Favorites", "Autologin", true};
inline constexpr Flag kAutologinForFavouriteSongs{"Favorites", "Autologin", false};

} // namespace qv::settings
