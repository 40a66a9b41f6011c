// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

namespace qv {

// The server addresses of "servers.ini" (section [Servers]) beside the
// executable. The program never writes that file; a missing file or key falls
// back to addresses under the reserved ".example" domain.
struct Servers {
    QString portal;        // list pages, download addresses, song links
    QString favoritesPage; // favourites page; %1 is the login name
    QString radio;         // radio server, streams on radioPort / radioDialUpPort
    QString update;        // "/radioplayer/..." update files
    QString counter;       // "/radioplayer/counter.htm", installer connect host
    QString homepage;
    QString makerPage;
    QString contactMail;
    QString secondMail;
    // The maker's minisign public keys (base64 lines, blank-separated): only
    // an installer signed by one of them is ever started. None by default.
    QString updateKey;
    // The radio's two qualities, broadband and dial-up, on the radio server.
    int radioPort = 6870;
    int radioDialUpPort = 6872;

    static Servers defaults();
    static Servers load(const QString& iniPath);

    // The text of a "servers.ini" (CR LF lines) that load() reads back as
    // these addresses; the installation ships one made from defaults().
    QByteArray toIni() const;

    bool operator==(const Servers&) const = default;

    // Loaded once from paths::exeFile("servers.ini").
    static const Servers& current();
    // Tests set the addresses directly.
    static void setCurrent(const Servers& servers);

    QString favoritesAddress(const QString& loginName) const;
    QString radioAddress(int port) const;
};

} // namespace qv
