// SPDX-License-Identifier: GPL-3.0-or-later
#include "form17.h"

#include "form1.h"
#include "listrows.h"
#include "playliststore.h"
#include "textfile.h"

#include <QListWidget>
#include <QPushButton>

namespace qv {

using playlist::Base;

Form17::Form17(Form1& form1)
    : NameWindow(QStringLiteral("Import Favorites"),
                 QStringLiteral("Please enter the name of your playlist:"), form1),
      form1_(form1) {}

void Form17::build() {
    NameWindow::build();
    connect(sButton1, &QPushButton::clicked, this, &Form17::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form17::sButton2Click);
}

void Form17::sButton1Click() {
    form1_.favouritesCommand([&] {
        const std::optional<QString> name = acceptedName(form1_.playlists);
        if (!name)
            return;
        form1_.showFavourites(); // with the remembered name, a fresh scan of the page file

        QStringList lines;
        const QListWidget& titles = *form1_.sListBox2;
        for (int i = 0; i < titles.count(); ++i)
            lines << playlist::entryLines(rows::holder(titles, i), form1_.ListBox4.value(i));
        form1_.Memo2 = text::joinLines(lines);
        playlist::save(Base::Exe, *name, form1_.Memo2);

        form1_.loadNames();
        form1_.saveNames(playlist::withLines(form1_.playlists, {*name}));
        close();
        // Named before "Own Playlist" loads it: the mode would otherwise load
        // the previous selection first and report an empty one as an error.
        form1_.setPlaylistSelector(*name);
        form1_.sButton4Click();
    });
}

void Form17::sButton2Click() {
    close();
}

} // namespace qv
