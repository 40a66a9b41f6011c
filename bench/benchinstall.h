#pragma once

#include "demoportal.h"
#include "paths.h"
#include "servers.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <vector>

// A demo portal (without radio) and a throw-away portable installation whose
// servers all point at it, with the start-up report switched off.
class BenchInstall {
public:
    BenchInstall() : portal(portalOptions()) {
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
        portal.writeServersIni(ini.toStdString());
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

struct Figures {
    double median, min, max;
};

inline Figures figures(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    const double median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    return {median, v.front(), v.back()};
}
