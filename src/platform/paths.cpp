// SPDX-License-Identifier: GPL-3.0-or-later
#include "paths.h"

#include <QCoreApplication>
#include <QDir>

namespace qv::paths {
namespace {
QString exeOverride;
QString workOverride;

QString join(const QString& base, const QString& relative) {
    return QDir::cleanPath(base + QLatin1Char('/') + relative);
}
} // namespace

QString exeDir() {
    return exeOverride.isEmpty() ? QCoreApplication::applicationDirPath() : exeOverride;
}

QString workDir() {
    return workOverride.isEmpty() ? QDir::currentPath() : workOverride;
}

void setExeDir(const QString& dir) {
    exeOverride = dir;
}
void setWorkDir(const QString& dir) {
    workOverride = dir;
}

QString exeFile(const QString& relative) {
    return join(exeDir(), relative);
}
QString workFile(const QString& relative) {
    return join(workDir(), relative);
}

} // namespace qv::paths
