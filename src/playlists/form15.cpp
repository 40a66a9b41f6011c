#include "form15.h"

#include "error.h"
#include "form1.h"
#include "playliststore.h"
#include "textfile.h"

#include <QPushButton>

namespace qv {

using playlist::Base;

Form15::Form15(Form1& form1)
    : NameWindow(QStringLiteral("Playlist name"),
                 QStringLiteral("Please enter the name of your playlist:"), form1),
      form1_(form1) {
    connect(sButton1, &QPushButton::clicked, this, &Form15::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form15::sButton2Click);
}

void Form15::sButton1Click() {
    guarded([&] {
        const std::optional<QString> name = acceptedName(form1_.playlists);
        if (!name)
            return;
        close();
        // The file is read before the name is listed: a file that cannot be
        // read must not leave a listed name without a playlist.
        const QByteArray bytes = text::readBytes(form1_.OpenDialog1.fileName);
        form1_.loadNames();
        form1_.saveNames(playlist::withLines(form1_.playlists, {*name}));
        playlist::saveBytes(Base::Exe, *name, bytes);
    });
}

void Form15::sButton2Click() {
    close();
}

} // namespace qv
