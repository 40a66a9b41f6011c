// SPDX-License-Identifier: GPL-3.0-or-later
#include "form12.h"

#include "boundary.h"
#include "form1.h"
#include "playliststore.h"
#include "textfile.h"

#include <QLineEdit>
#include <QPushButton>

namespace qv {

using playlist::Base;

Form12::Form12(Form1& form1)
    : NameWindow(QStringLiteral("Playlist name"),
                 QStringLiteral("Please enter the name of your Playlist"), form1),
      form1_(form1) {
    // The title bar's close and Escape end here too.
    connect(this, &QDialog::finished, &form1_, [this] { form1_.setEnabled(true); });
}

void Form12::build() {
    NameWindow::build();
    connect(sButton1, &QPushButton::clicked, this, &Form12::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form12::sButton2Click);
}

void Form12::sButton1Click() {
    guarded([&] {
        const std::optional<QString> name = acceptedName(form1_.playlists);
        if (!name)
            return;
        close();
        form1_.setEnabled(true);

        form1_.playlists.clear();
        form1_.playlists = text::loadFile(playlist::namesPath(Base::Work));
        const QString names = playlist::withLines(form1_.playlists, {*name});
        text::saveFile(playlist::namesPath(Base::Work), names);
        form1_.playlists = names;
        playlist::save(Base::Work, *name, {});

        form1_.rebuildPlaylistMenu();
        form1_.setPlaylistSelector(*name);
        form1_.loadCurrentPlaylist();
    });
}

void Form12::sButton2Click() {
    close();
    form1_.setEnabled(true);
}

} // namespace qv
