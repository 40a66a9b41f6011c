// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demoportal.h"
#include "paths.h"
#include "servers.h"
#include "testfiles.h"

#include <QDir>
#include <QTemporaryDir>

// A temporary portable installation: "Playlists" with an empty
// "playlists.ini", "temp", "updater" with the installed version's
// "version.ini", and "skins". Both base directories of
// the program point at it while it lives, so nothing is written beside the
// test binary.
class TestInstall {
public:
    TestInstall() {
        const QDir root(dir_.path());
        for (const char* sub : {"Playlists", "temp", "updater", "skins"})
            root.mkpath(QLatin1String(sub));
        writeAll(path("Playlists/playlists.ini"), {});
        writeAll(path("updater/version.ini"), "1.36\r\n");
        qv::paths::setExeDir(dir_.path());
        qv::paths::setWorkDir(dir_.path());
    }
    ~TestInstall() {
        qv::paths::setExeDir({});
        qv::paths::setWorkDir({});
        qv::Servers::setCurrent(qv::Servers::defaults());
    }
    TestInstall(const TestInstall&) = delete;
    TestInstall& operator=(const TestInstall&) = delete;

    QString path(const QString& relative) const { return dir_.filePath(relative); }

    // "settings.ini" beside the executable, lines given without line ends.
    void writeSettings(const QStringList& lines) const {
        writeAll(path(QStringLiteral("settings.ini")), lines.join(QStringLiteral("\r\n")).toUtf8());
    }

    // Points every server address at the portal, through a "servers.ini".
    void usePortal(const demo::Portal& portal) const {
        const QString ini = path(QStringLiteral("servers.ini"));
        portal.writeServersIni(ini.toStdString());
        qv::Servers::setCurrent(qv::Servers::load(ini));
    }

private:
    QTemporaryDir dir_;
};
