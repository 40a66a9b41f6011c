// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's own playlists: the store, the play modes, editing, import
// and export.
#include "boundary.h"
#include "form1.h"
#include "inifile.h"
#include "listrows.h"
#include "messages.h"
#include "paths.h"
#include "playliststore.h"
#include "secondarywindows.h"
#include "showwindow.h"
#include "textfile.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>

namespace qv {

using playlist::Base;

namespace {

const QString kSelectSong = QStringLiteral("Please select a song first");

// Menu captions treat '&' as a mnemonic; names from files must show as written.
QString menuCaption(const QString& name) {
    return text::display(name).replace(QLatin1Char('&'), QStringLiteral("&&"));
}

// The row under the pointer becomes the selected row; none over the empty part.
void selectRowAt(QListWidget& list, QPoint at) {
    if (QListWidgetItem* item = list.itemAt(at)) {
        list.setCurrentItem(item);
        item->setSelected(true);
    } else {
        list.clearSelection();
        list.setCurrentRow(-1);
    }
}

} // namespace

void Form1::setUpPlaylists() {
    connect(sButton2, &QPushButton::clicked, this, &Form1::sButton2Click);
    connect(sButton4, &QPushButton::clicked, this, &Form1::sButton4Click);
    connect(sButton3, &QPushButton::clicked, this, &Form1::sButton3Click);
    for (QPushButton* mode : {sButton2, sButton4, sButton3})
        mode->setCheckable(true);
    sButton2->setChecked(true);

    // Only the user's changes load a playlist: picking an item, or typing.
    // Completion would change the text behind the user's back.
    sComboBox3->setCompleter(nullptr);
    connect(sComboBox3, &QComboBox::textActivated, this, &Form1::sComboBox3Change);
    connect(sComboBox3->lineEdit(), &QLineEdit::textEdited, this, &Form1::sComboBox3Change);

    connect(sBitBtn12, &QPushButton::clicked, this, &Form1::sBitBtn12Click);
    connect(sBitBtn13, &QPushButton::clicked, this, &Form1::sBitBtn13Click);
    connect(sBitBtn14, &QPushButton::clicked, this, &Form1::sBitBtn14Click);

    const auto popUp = [this](QListWidget* list, QMenu* menu, void (Form1::*select)(QPoint)) {
        connect(list, &QWidget::customContextMenuRequested, this, [=, this](QPoint at) {
            (this->*select)(at);
            menu->popup(list->viewport()->mapToGlobal(at));
        });
    };
    popUp(ListBox1, PopupMenu2, &Form1::PopupMenu2Popup);
    popUp(sListBox2, PopupMenu2, &Form1::PopupMenu2Popup);
    popUp(sListBox1, PopupMenu1, &Form1::PopupMenu1Popup);
    connect(AddtoPlaylist1, &QMenu::triggered, this,
            [this](const QAction* entry) { PlaylistMenuItemClick(entry->data().toInt()); });
    connect(Delete1, &QAction::triggered, this, &Form1::Delete1Click);
    connect(Moveup1, &QAction::triggered, this, &Form1::Moveup1Click);
    connect(MoveDown1, &QAction::triggered, this, &Form1::MoveDown1Click);
    connect(Download2, &QAction::triggered, this, &Form1::Download1Click);

    // The main menu's twins of the context menu entries, usable where they apply.
    connect(DeletesongfromPlaylist1, &QAction::triggered, this, &Form1::Delete1Click);
    connect(Moveup2, &QAction::triggered, this, &Form1::Moveup1Click);
    connect(Movedown2, &QAction::triggered, this, &Form1::MoveDown1Click);
    connect(Addsongtocurrentplaylist1, &QAction::triggered, this, [this] {
        PlaylistMenuItemClick(int(text::lines(playlists).indexOf(currentPlaylist())));
    });
    connect(Playlists1, &QMenu::aboutToShow, this, [this] {
        const ShownList shown = shownList();
        const bool own = shown.kind == ListKind::OwnPlaylist;
        const bool chosen = rows::selected(*shown.titles) >= 0;
        for (QAction* action : {DeletesongfromPlaylist1, Moveup2, Movedown2})
            action->setEnabled(own && chosen);
        Addsongtocurrentplaylist1->setEnabled(!own && chosen &&
                                              text::lines(playlists).contains(currentPlaylist()));
    });

    connect(Importplaylist1, &QAction::triggered, this, &Form1::Importplaylist1Click);
    connect(exportplaylist1, &QAction::triggered, this, &Form1::exportplaylist1Click);
    connect(Login3, &QAction::triggered, this, &Form1::Login3Click);
    connect(Export1, &QAction::triggered, this, &Form1::Export1Click);
}

// ---- Store ----

void Form1::loadNames() {
    playlists.clear();
    playlists = text::loadFile(playlist::namesPath(Base::Exe));
}

void Form1::saveNames(const QString& names) {
    text::saveFile(playlist::namesPath(Base::Exe), names);
    playlists = names;
}

void Form1::loadCurrentPlaylist() {
    ListBox3.clear();
    sListBox1->clear();
    Memo2.clear();
    Memo2 = playlist::load(Base::Exe, currentPlaylist());
    playlist::Entries entries = playlist::shownEntries(Memo2);
    sListBox1->setUpdatesEnabled(false);
    for (const QString& title : std::as_const(entries.titles))
        rows::append(*sListBox1, title);
    sListBox1->setUpdatesEnabled(true);
    ListBox3 = std::move(entries.links);
}

void Form1::Button8Click() {
    guarded([&] { loadNames(); });
}

void Form1::Button10Click() {
    guarded([&] { saveNames(playlists); });
}

void Form1::Button5Click() {
    guarded([&] { loadCurrentPlaylist(); });
}

void Form1::Button7Click() {
    guarded([&] { playlist::save(Base::Work, currentPlaylist(), Memo2); });
}

QString Form1::currentPlaylist() const {
    return rows::holder(*sComboBox3);
}

void Form1::setPlaylistSelector(const QString& text) {
    rows::setItems(*sComboBox3, text::lines(playlists));
    sComboBox3->setEditText(text::display(text));
}

void Form1::rebuildPlaylistMenu() {
    AddtoPlaylist1->clear();
    const QStringList names = text::lines(playlists);
    for (qsizetype i = 0; i < names.size(); ++i)
        AddtoPlaylist1->addAction(menuCaption(names[i]))->setData(int(i));
    AddtoPlaylist1->setEnabled(!names.isEmpty());
}

// ---- Play modes ----

void Form1::showMode(ListKind kind) {
    const bool results = kind == ListKind::SearchResults;
    const bool own = kind == ListKind::OwnPlaylist;
    const bool favourites = kind == ListKind::Favourites;
    ListBox1->setVisible(results);
    sListBox1->setVisible(own);
    sListBox2->setVisible(favourites);
    sComboBox3->setVisible(own);
    sBitBtn12->setVisible(own);
    sBitBtn13->setVisible(own);
    sBitBtn14->setVisible(favourites);
    sButton2->setChecked(results);
    sButton4->setChecked(own);
    sButton3->setChecked(favourites);
}

void Form1::sButton2Click() {
    showMode(ListKind::SearchResults);
}

void Form1::sButton4Click() {
    guardedOnce(playlistBusy_, [&] {
        showMode(ListKind::OwnPlaylist);
        loadCurrentPlaylist();
        loadNames();
        const QString shown = sComboBox3->currentText();
        rows::setItems(*sComboBox3, text::lines(playlists));
        sComboBox3->setEditText(shown);
    });
}

void Form1::sButton3Click() {
    favouritesCommand([&] { showFavourites(); });
}

void Form1::sComboBox3Change() {
    guardedOnce(playlistBusy_, [&] { loadCurrentPlaylist(); });
}

void Form1::sBitBtn14Click() {
    if (!windows.form14)
        return;
    showCentred(*windows.form14);
    setEnabled(false);
}

// ---- Editing ----

void Form1::sBitBtn12Click() {
    if (!windows.form12)
        return;
    showCentred(*windows.form12);
    setEnabled(false);
}

void Form1::sBitBtn13Click() {
    guardedOnce(playlistBusy_, [&] {
        const QString name = currentPlaylist();
        if (messages::question(QStringLiteral("Do you really want to delete the playlist \"%1\"")
                                   .arg(text::display(name)))) {
            // The names are written first: when that fails, the playlist is
            // still listed and still has its file.
            saveNames(playlist::withoutLine(playlists, text::lines(playlists).indexOf(name)));
            if (playlist::validName(name))
                QFile::remove(playlist::path(Base::Exe, name));
            rebuildPlaylistMenu();
            setPlaylistSelector(text::lines(playlists).value(0));
        }
        loadCurrentPlaylist();
    });
}

void Form1::PlaylistMenuItemClick(int tag) {
    guardedOnce(playlistBusy_, [&] {
        const QString name = text::lines(playlists).value(tag);
        if (name.isEmpty())
            return;
        // The favourites lie behind the results, so only the results are tested.
        const bool results = !ListBox1->isHidden();
        const QListWidget& titles = results ? *ListBox1 : *sListBox2;
        const QStringList& links = results ? ListBox2 : ListBox4;
        const int row = rows::selected(titles);
        if (row < 0 || row >= links.size())
            throw Error(kSelectSong);
        Memo2.clear();
        Memo2 = playlist::load(Base::Exe, name);
        const QString changed =
            playlist::withLines(Memo2, playlist::entryLines(rows::holder(titles, row), links[row]));
        playlist::save(Base::Exe, name, changed);
        Memo2 = changed;
    });
}

void Form1::PopupMenu1Popup(QPoint at) {
    selectRowAt(*sListBox1, at);
}

void Form1::PopupMenu2Popup(QPoint at) {
    selectRowAt(ListBox1->isHidden() ? *sListBox2 : *ListBox1, at);
}

void Form1::Delete1Click() {
    guardedOnce(playlistBusy_, [&] {
        const int row = rows::selected(*sListBox1);
        if (row < 0 || row >= ListBox3.size())
            return;
        // The file first: when it cannot be written, the list still shows what it holds.
        const QString changed = playlist::withoutEntry(Memo2, row);
        playlist::save(Base::Work, currentPlaylist(), changed);
        Memo2 = changed;
        delete sListBox1->takeItem(row);
        ListBox3.removeAt(row);
        sListBox1->clearSelection();
    });
}

void Form1::movePlaylistEntry(int step) {
    guardedOnce(playlistBusy_, [&] {
        const int from = rows::selected(*sListBox1);
        if (from < 0)
            throw Error(kSelectSong);
        const int to = from + step;
        if (to < 0 || to >= sListBox1->count() || to >= ListBox3.size())
            return; // the first row cannot go up, nor the last one down
        const QString name = currentPlaylist();
        Memo2.clear();
        Memo2 = playlist::load(Base::Exe, name);
        const std::optional<QString> changed = playlist::withEntriesSwapped(Memo2, from, to);
        if (!changed)
            throw Error(QStringLiteral("List index out of bounds (%1)").arg(std::max(from, to)));
        playlist::save(Base::Exe, name, *changed);
        Memo2 = *changed;
        rows::swap(*sListBox1, from, to);
        ListBox3.swapItemsAt(from, to);
        sListBox1->setCurrentRow(to);
    });
}

void Form1::Moveup1Click() {
    movePlaylistEntry(-1);
}

void Form1::MoveDown1Click() {
    movePlaylistEntry(+1);
}

// ---- Import and export ----

void Form1::Importplaylist1Click() {
    guardedOnce(playlistBusy_, [&] {
        if (OpenDialog1.execute(this) && windows.form15)
            showCentred(*windows.form15);
    });
}

void Form1::exportplaylist1Click() {
    if (windows.form16)
        showCentred(*windows.form16);
}

} // namespace qv
