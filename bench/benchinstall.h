// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "demoportal.h"
#include "figures.h"
#include "paths.h"
#include "servers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

// A demo portal (without radio) and a throw-away portable installation whose
// servers all point at it, with the start-up report switched off. With the
// servers.ini of a demo portal running in another process the installation
// uses that one, and the portal here is not started.
class BenchInstall {
public:
    explicit BenchInstall(const QString& externalServersIni = {}) : portal(portalOptions()) {
        if (externalServersIni.isEmpty())
            portal.start();
        const QDir root(dir_.path());
        root.mkpath(QStringLiteral("temp"));
        root.mkpath(QStringLiteral("Playlists"));
        QFile(root.filePath(QStringLiteral("Playlists/playlists.ini"))).open(QIODevice::WriteOnly);
        QFile settings(root.filePath(QStringLiteral("settings.ini")));
        settings.open(QIODevice::WriteOnly);
        settings.write("[General]\r\nReportstarts=0\r\n");
        settings.close();
        qv::paths::setExeDir(dir_.path());
        qv::paths::setWorkDir(dir_.path());
        const QString ini = root.filePath(QStringLiteral("servers.ini"));
        if (externalServersIni.isEmpty())
            portal.writeServersIni(ini.toStdString());
        else
            QFile::copy(externalServersIni, ini);
        qv::Servers::setCurrent(qv::Servers::load(ini));
    }

    demo::Portal portal;

private:
    static demo::Options portalOptions() {
        demo::Options options;
        options.radioBind.clear();
        return options;
    }

    QTemporaryDir dir_;
};
