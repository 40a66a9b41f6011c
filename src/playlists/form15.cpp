#include "form15.h"

#include "error.h"
#include "form1.h"
#include "messages.h"
#include "namewindow.h"
#include "playliststore.h"
#include "textfile.h"

namespace qv {

using playlist::Base;

Form15::Form15(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Playlist name"));
    const NameWindowControls controls =
        buildNameWindow(*this, QStringLiteral("Please enter the name of your playlist:"), form1);
    sEdit1 = controls.edit;
    sButton1 = controls.ok;
    sButton2 = controls.cancel;
    connect(sButton1, &QPushButton::clicked, this, &Form15::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form15::sButton2Click);
}

void Form15::sButton1Click() {
    guarded([&] {
        const QString name = text::fromUser(sEdit1->text());
        if (const std::optional<QString> refused = playlist::refusal(name, form1_.playlists)) {
            messages::plain(*refused);
            return;
        }
        close();
        // The file is read before the name is listed: a file that cannot be
        // read must not leave a listed name without a playlist.
        const QByteArray bytes = text::readBytes(form1_.OpenDialog1.fileName);
        form1_.loadNames();
        form1_.saveNames(playlist::withLines(form1_.playlists, {name}));
        playlist::saveBytes(Base::Exe, name, bytes);
    });
}

void Form15::sButton2Click() {
    close();
}

} // namespace qv
