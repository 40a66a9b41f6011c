// SPDX-License-Identifier: GPL-3.0-or-later
#include "form15.h"

#include "boundary.h"
#include "form1.h"
#include "playliststore.h"
#include "textfile.h"

#include <QPushButton>

namespace qv {

using playlist::Base;

Form15::Form15(Form1& form1)
    : NameWindow(QStringLiteral("Playlist name"),
                 QStringLiteral("Please enter the name of your playlist:"), form1),
      form1_(form1) {}

void Form15::build() {
    NameWindow::build();
    connect(sButton1, &QPushButton::clicked, this, &Form15::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form15::sButton2Click);
}

void Form15::sButton1Click() {
    guarded([&] {
        const std::optional<QString> name = acceptedName(form1_.playlists);
        if (!name)
            return;
        close();
        // The playlist is read and stored before its name is listed: a file
        // that cannot be read, or a disk too full to hold it, must not leave
        // a listed name without a playlist.
        const QByteArray bytes = text::readBytes(form1_.OpenDialog1.fileName);
        playlist::saveBytes(Base::Exe, *name, bytes);
        form1_.loadNames();
        form1_.saveNames(playlist::withLines(form1_.playlists, {*name}));
    });
}

void Form15::sButton2Click() {
    close();
}

} // namespace qv
