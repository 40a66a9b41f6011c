// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's share of the favourites: the fetch of a portal user's
// favourites page, the scan into the favourites lists, and the menu entries.
#include "favouritesscan.h"
#include "form1.h"
#include "inifile.h"
#include "listrows.h"
#include "paths.h"
#include "secondarywindows.h"
#include "servers.h"
#include "settingkeys.h"
#include "showwindow.h"
#include "textfile.h"
#include "webtransfer.h"

#include <QCoreApplication>
#include <QListWidget>

namespace qv {

void Form1::Login3Click() {
    if (windows.form14)
        showCentred(*windows.form14);
}

void Form1::Export1Click() {
    if (windows.form17)
        showCentred(*windows.form17);
}

void Form1::GetFavsExecute(const QString& loginName) {
    // The name becomes a host name: anything else would address another
    // host or path than the user's page.
    if (!favourites::validLoginName(loginName))
        throw Error(QStringLiteral("Please enter a valid Quorvell name"));
    WebTransfer::download(Servers::current().favoritesAddress(loginName),
                          paths::workFile(QStringLiteral("temp/favorites.txt")));
    Memo3.clear();
    Memo3 = text::loadFile(paths::exeFile(QStringLiteral("temp/favorites.txt")));
    scanFavourites(false);
}

void Form1::showFavourites() {
    showMode(ListKind::Favourites);
    if (!settings::read(IniFile::settings(), settings::kAutologinForFavouriteSongs)) {
        if (windows.form14)
            showCentred(*windows.form14);
        return;
    }
    QCoreApplication::processEvents();
    Memo3 = text::loadFile(paths::workFile(QStringLiteral("temp/favorites.txt")));
    scanFavourites(true);
}

void Form1::scanFavourites(bool live) {
    sListBox2->clear();
    ListBox4.clear();
    favourites::FavouritesScanner scanner(Memo3);
    for (;;) {
        if (live)
            QCoreApplication::processEvents();
        const std::optional<favourites::Favourite> item = scanner.next();
        if (!item)
            break;
        ListBox4.append(item->address);
        rows::append(*sListBox2, item->title);
    }
}

} // namespace qv
