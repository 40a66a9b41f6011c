// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell.h"

#include "logging.h"
#include "servers.h"

#include <QDesktopServices>
#include <QFileInfo>

namespace qv::shell {
namespace {
Opener opener;

bool hand(const QUrl& url) {
    return opener ? opener(url) : QDesktopServices::openUrl(url);
}
} // namespace

QUrl resolve(const QString& address, const QString& portalBase) {
    const QString trimmed = address.trimmed();
    if (trimmed.isEmpty())
        return {};
    QUrl url(trimmed, QUrl::TolerantMode);
    if (!url.isValid())
        return {};
    if (url.isRelative()) {
        // A song link written relative on the portal's page belongs to the portal.
        url = QUrl(portalBase + QLatin1Char('/')).resolved(url);
    }
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("mailto"))
        return url.path().isEmpty() ? QUrl() : url;
    if ((scheme == QLatin1String("http") || scheme == QLatin1String("https")) &&
        !url.host().isEmpty())
        return url;
    return {};
}

bool openAddress(const QString& address) {
    const QUrl url = resolve(address, Servers::current().portal);
    if (!url.isValid()) {
        qCDebug(lcNet) << "not opened, no web or mail address:" << address;
        return false;
    }
    if (!hand(url)) {
        qCDebug(lcNet).noquote() << "the desktop did not open" << url.toDisplayString();
        return false;
    }
    return true;
}

bool openFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.isFile() || !hand(QUrl::fromLocalFile(info.absoluteFilePath()))) {
        qCDebug(lcNet) << "the desktop did not open the file" << path;
        return false;
    }
    return true;
}

Opener setOpener(Opener next) {
    Opener previous = std::move(opener);
    opener = std::move(next);
    return previous;
}

} // namespace qv::shell
