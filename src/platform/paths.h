// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The two base directories of the program, each resolved in one place.
// Tests point them at a temporary installation.
namespace qv::paths {

// The directory holding the executable ("settings.ini", "skins", "servers.ini").
QString exeDir();
// The working directory ("temp", "updater", most of "Playlists").
QString workDir();

// Overrides for tests; an empty path returns to the real directory.
void setExeDir(const QString& dir);
void setWorkDir(const QString& dir);

// A path below the base directory, joined with '/'.
QString exeFile(const QString& relative);
QString workFile(const QString& relative);

} // namespace qv::paths
