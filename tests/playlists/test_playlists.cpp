// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakemediaplayer.h"
#include "filedialog.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "paths.h"
#include "playliststore.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "testprogram.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <limits>

using qv::Form1;
namespace pl = qv::playlist;

namespace {

const QString kSelectSong = QStringLiteral("Please select a song first");

QStringList rowsOf(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << qv::rows::holder(list, i);
    return texts;
}

QStringList itemsOf(const QComboBox& box) {
    QStringList texts;
    for (int i = 0; i < box.count(); ++i)
        texts << box.itemText(i);
    return texts;
}

} // namespace

class TestPlaylists : public ProgramTest {
    Q_OBJECT

private:
    qv::FakeMediaPlayer* player_ = nullptr;
    std::optional<QString> chosenFile_; // what the next file dialog answers

    QString file(const QString& name) const { return install_->path("Playlists/" + name); }
    QByteArray names() const { return readAll(file("playlists.ini")); }

    // An installation with these playlists, the program started on it.
    void start(const QByteArray& names, const QList<QPair<QString, QByteArray>>& playlists = {}) {
        writeAll(file("playlists.ini"), names);
        for (const auto& [name, bytes] : playlists)
            writeAll(file(name + ".qvl"), bytes);
        auto player = std::make_unique<qv::FakeMediaPlayer>();
        player_ = player.get();
        form1_ = qv::startProgram(std::move(player), qv::UpdateCheck::Skip);
    }

    // Playlists "A" and "B", and two results with the second selected.
    void startWithTwoPlaylists() {
        start("A\r\nB\r\n", {{"A", "a1\r\nx\r\n"}, {"B", "b1\r\ny\r\n"}});
        fillResults(2);
        form1_->ListBox1->setCurrentRow(1);
    }

    void fillResults(int count) {
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        for (int i = 1; i <= count; ++i) {
            qv::rows::append(*form1_->ListBox1, QStringLiteral("Song %1").arg(i));
            form1_->ListBox2 << songLink(i);
        }
    }

    // A right click on a row of a list, as the context menu's opening handler sees it.
    QPoint rowPoint(const QListWidget* list, int row) const {
        return list->visualItemRect(list->item(row)).center();
    }

    void addToPlaylist(int resultRow, int playlist) {
        form1_->PopupMenu2Popup(rowPoint(form1_->ListBox1, resultRow));
        form1_->AddtoPlaylist1->actions().at(playlist)->trigger();
    }

    void selectOwn(int row) {
        form1_->PopupMenu1Popup(row < 0 ? QPoint(5, 10000) : rowPoint(form1_->sListBox1, row));
    }

    void newPlaylist(const QString& typed) {
        form1_->sBitBtn12Click();
        form1_->windows.form12->sEdit1->setText(typed);
        QTest::mouseClick(form1_->windows.form12->sButton1, Qt::LeftButton);
    }

private slots:
    void init() {
        install_ = std::make_unique<TestInstall>();
        install_->writeSettings({"[General]", "Reportstarts=0"});
        messages_ = std::make_unique<qv::MessageRecorder>();
        chosenFile_.reset();
        qv::FileDialog::setScript([this](const qv::FileDialog&) { return chosenFile_; });
    }

    void cleanup() {
        qv::FileDialog::setScript({});
        endProgram();
    }

    // The file format: pairs up to the first empty title, the rest kept by every edit.
    void playlistText() {
        const pl::Entries odd = pl::shownEntries("A\r\na\r\nB");
        QCOMPARE(odd.titles, QStringList({"A", "B"}));
        QCOMPARE(odd.links, QStringList({"a", ""}));

        const QString hidden = "A\r\na\r\n\r\nH\r\nh\r\n";
        QCOMPARE(pl::shownEntries(hidden).titles, QStringList({"A"}));
        QCOMPARE(pl::withLines(hidden, {"N", "n"}), hidden + "N\r\nn\r\n");
        QCOMPARE(pl::withoutEntry(hidden, 0), "\r\nH\r\nh\r\n");
        // A line added to a file without its final line break goes after one.
        QCOMPARE(pl::withLines("A\r\na", {"B", "b"}), "A\r\na\r\nB\r\nb\r\n");
        QCOMPARE(pl::withoutEntry("A\r\na\r\n", 0), "");
        // A missing link counts as empty, so titles and links stay paired.
        QCOMPARE(pl::withEntriesSwapped("A\r\na\r\nB", 0, 1).value(), "B\r\n\r\nA\r\na\r\n");
        QCOMPARE(pl::withEntriesSwapped("A\r\na\r\n", 0, 1), std::nullopt);
        // A bare LF is no line break and survives.
        QCOMPARE(pl::withEntriesSwapped("A\nx\r\na\r\nB\r\nb", 0, 1).value(),
                 "B\r\nb\r\nA\nx\r\na\r\n");
        // A line break inside a cut title would split its entry.
        QCOMPARE(pl::withLines("", pl::entryLines("Two\r\nlines\n", "/l\r\n")),
                 "Two lines\n\r\n/l \r\n");
    }

    // Found by fuzz_playlist: an entry number so far out that doubling it
    // overflowed (undefined; a wrapped number passed the range check) now
    // leaves the text as it is, like any other missing entry.
    void editsFarOutOfRange() {
        const QString text = "A\r\na\r\nB\r\nb\r\n";
        constexpr qsizetype kMax = std::numeric_limits<qsizetype>::max();
        constexpr qsizetype kMin = std::numeric_limits<qsizetype>::min();
        for (const qsizetype k : {kMax, kMax / 2 + 1, kMax / 2, kMin, kMin / 2 - 1, qsizetype(2)}) {
            QCOMPARE(pl::withoutEntry(text, k), text);
            QCOMPARE(pl::withEntriesSwapped(text, 0, k), std::nullopt);
            QCOMPARE(pl::withEntriesSwapped(text, k, 1), std::nullopt);
        }
        QCOMPARE(pl::withoutEntry(text, 1), "A\r\na\r\n");
        QCOMPARE(pl::withEntriesSwapped(text, 1, 0).value(), "B\r\nb\r\nA\r\na\r\n");
    }

    // Found by fuzz_playlist: a song with an empty title (a page may cut one)
    // ended the shown entries, hiding itself and every song added after it.
    void emptyTitleStaysShown() {
        QCOMPARE(pl::entryLines("", "/e/"), QStringList({" ", "/e/"}));
        const QString added = pl::withLines("A\r\na\r\n", pl::entryLines("", "/e/"));
        QCOMPARE(added, "A\r\na\r\n \r\n/e/\r\n");
        const QString more = pl::withLines(added, pl::entryLines("B", "/b/"));
        QCOMPARE(pl::shownEntries(more).titles, QStringList({"A", " ", "B"}));
        QCOMPARE(pl::shownEntries(more).links, QStringList({"a", "/e/", "/b/"}));
        // An empty link stays empty.
        QCOMPARE(pl::entryLines("T", ""), QStringList({"T", ""}));
    }

    void nameRules() {
        const QString listed = "Rock\r\nJazz\r\n";
        QCOMPARE(pl::refusal("", listed), "Please fill in a playlist name");
        QCOMPARE(pl::refusal("Jazz", listed), "Playlist already exists");
        QCOMPARE(pl::refusal("jazz", listed), std::nullopt);
        QCOMPARE(pl::refusal(" Jazz ", listed), std::nullopt);
        for (const char* bad : {"..", ".", "../evil", "a/b", "a\\b", "tab\there", "cr\r"})
            QCOMPARE(pl::refusal(bad, listed), "Please enter a valid playlist name");
        QVERIFY(pl::validName("..."));
        QVERIFY(pl::validName(qv::text::fromUser("Café")));
    }

    void newPlaylistWindow() {
        start("Rock\r\n", {{"Rock", "R\r\nr\r\n"}});
        qv::Form12& form12 = *form1_->windows.form12;

        // Refused names keep the window open, the main window disabled, and write nothing.
        for (const QString& typed :
             {QString(), QStringLiteral("Rock"), QStringLiteral("../evil")}) {
            messages_->clear();
            newPlaylist(typed);
            QCOMPARE(messages_->records.size(), 1);
            QVERIFY(form12.isVisible());
            QVERIFY(!form1_->isEnabled());
        }
        QCOMPARE(messages_->texts(), QStringList({"Please enter a valid playlist name"}));
        QCOMPARE(names(), "Rock\r\n");
        QVERIFY(!QFile::exists(install_->path("evil.qvl")));

        // Letter case counts: "rock" is a new playlist.
        messages_->clear();
        newPlaylist("rock");
        QVERIFY(messages_->records.isEmpty());
        QVERIFY(!form12.isVisible());
        QVERIFY(form1_->isEnabled());
        QCOMPARE(names(), "Rock\r\nrock\r\n");
        QCOMPARE(readAll(file("rock.qvl")), "");
        QVERIFY(QFile::exists(file("rock.qvl")));
        QCOMPARE(readAll(file("Rock.qvl")), "R\r\nr\r\n");
        QCOMPARE(form1_->currentPlaylist(), "rock");
        QCOMPARE(itemsOf(*form1_->sComboBox3), QStringList({"Rock", "rock"}));
        QCOMPARE(form1_->AddtoPlaylist1->actions().size(), 2);
        QCOMPARE(form1_->AddtoPlaylist1->actions().at(1)->text(), "rock");
        QCOMPARE(form1_->sListBox1->count(), 0);
        QCOMPARE(form12.sEdit1->text(), "rock"); // kept for the next opening

        // Closing by the title bar gives the main window back.
        form1_->sBitBtn12Click();
        QVERIFY(!form1_->isEnabled());
        form12.close();
        QVERIFY(form1_->isEnabled());
    }

    // Add from the results, then play, move and delete in the own playlist.
    void editAndPlay() {
        start("First\r\nMine\r\n", {{"First", ""}, {"Mine", "Old\r\nold\r\n"}});
        fillResults(3);
        addToPlaylist(1, 1);
        addToPlaylist(2, 1);
        QCOMPARE(readAll(file("Mine.qvl")), "Old\r\nold\r\nSong 2\r\n" + songLink(2).toLatin1() +
                                                "\r\nSong 3\r\n" + songLink(3).toLatin1() + "\r\n");
        // No selected result: a message, and no file changes.
        form1_->PopupMenu2Popup(QPoint(5, 10000));
        QVERIFY(form1_->ListBox1->selectedItems().isEmpty());
        form1_->AddtoPlaylist1->actions().at(0)->trigger();
        QCOMPARE(messages_->texts(), QStringList({kSelectSong}));
        QCOMPARE(readAll(file("First.qvl")), "");

        form1_->sComboBox3->setEditText("Mine");
        QTest::mouseClick(form1_->sButton4, Qt::LeftButton);
        QCOMPARE(form1_->shownList().kind, Form1::ListKind::OwnPlaylist);
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"Old", "Song 2", "Song 3"}));
        QCOMPARE(form1_->ListBox3, QStringList({"old", songLink(2), songLink(3)}));

        // Play follows the shown list; Enter on a row plays it.
        selectOwn(1);
        QTest::keyClick(form1_->sListBox1, Qt::Key_Return);
        QVERIFY(player_->url().contains("0000002"));

        form1_->Moveup1Click();
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"Song 2", "Old", "Song 3"}));
        QCOMPARE(form1_->ListBox3, QStringList({songLink(2), "old", songLink(3)}));
        QCOMPARE(qv::rows::selected(*form1_->sListBox1), 0);
        const QByteArray moved = "Song 2\r\n" + songLink(2).toLatin1() +
                                 "\r\nOld\r\nold\r\nSong 3\r\n" + songLink(3).toLatin1() + "\r\n";
        QCOMPARE(readAll(file("Mine.qvl")), moved);

        // Up on the first row, down on the last, Delete with no selection: nothing changes.
        messages_->clear();
        form1_->Moveup1Click();
        selectOwn(2);
        form1_->MoveDown1Click();
        selectOwn(-1);
        form1_->Delete1Click();
        QVERIFY(messages_->records.isEmpty());
        QCOMPARE(readAll(file("Mine.qvl")), moved);
        QCOMPARE(form1_->sListBox1->count(), 3);
        // Moving with no selection says so and writes nothing.
        form1_->MoveDown1Click();
        QCOMPARE(messages_->texts(), QStringList({kSelectSong}));

        selectOwn(1);
        form1_->MoveDown1Click();
        QCOMPARE(form1_->ListBox3, QStringList({songLink(2), songLink(3), "old"}));
        QTest::keyClick(form1_->sListBox1, Qt::Key_Delete); // as the context menu's "Delete"
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"Song 2", "Song 3"}));
        QCOMPARE(form1_->ListBox3, QStringList({songLink(2), songLink(3)}));
        QCOMPARE(readAll(file("Mine.qvl")), "Song 2\r\n" + songLink(2).toLatin1() +
                                                "\r\nSong 3\r\n" + songLink(3).toLatin1() + "\r\n");
        for (int i = 0; i < 2; ++i) {
            selectOwn(0);
            form1_->Delete1Click();
        }
        QCOMPARE(readAll(file("Mine.qvl")), "");
        QVERIFY(QFile::exists(file("Mine.qvl")));
    }

    // Titles show their character references decoded; the file, the holders
    // and every copy keep the bytes as written. Playlist names do not decode.
    void titlesShowDecodedAndStayStored() {
        const QByteArray mix = "Caf&eacute; Nocturne\r\n/listen/0180001/?a=1&amp;b=2\r\n"
                               "Rock &amp; Roll &#8211; caf\xc3\xa9\r\n/listen/0180002/\r\n"
                               "&amp;amp; &#x2013 &bogus;\r\n/listen/0180003/\r\n";
        start("R&amp;B\r\n", {{"R&amp;B", mix}});
        QCOMPARE(itemsOf(*form1_->sComboBox3), QStringList({"R&amp;B"}));
        QCOMPARE(form1_->AddtoPlaylist1->actions().at(0)->text(), "R&&amp;B");
        form1_->sButton4Click();

        const QStringList shown = {"Café Nocturne", "Rock & Roll – café", "&amp; &#x2013 &bogus;"};
        // Holders keep one character per byte.
        const QStringList stored = {"Caf&eacute; Nocturne",
                                    QLatin1String("Rock &amp; Roll &#8211; caf\xc3\xa9"),
                                    "&amp;amp; &#x2013 &bogus;"};
        QListWidget& list = *form1_->sListBox1;
        for (int row = 0; row < 3; ++row) {
            QCOMPARE(list.item(row)->text(), shown[row]);
            QCOMPARE(list.item(row)->data(Qt::ToolTipRole).toString(), shown[row]);
            QCOMPARE(qv::rows::holder(list, row), stored[row]);
        }
        QCOMPARE(form1_->ListBox3.value(0), "/listen/0180001/?a=1&amp;b=2");

        // A move writes the stored bytes back, not what the list shows.
        selectOwn(1);
        form1_->Moveup1Click();
        QCOMPARE(list.item(0)->text(), shown[1]);
        QCOMPARE(readAll(file("R&amp;B.qvl")),
                 "Rock &amp; Roll &#8211; caf\xc3\xa9\r\n/listen/0180002/\r\n"
                 "Caf&eacute; Nocturne\r\n/listen/0180001/?a=1&amp;b=2\r\n"
                 "&amp;amp; &#x2013 &bogus;\r\n/listen/0180003/\r\n");

        // A search result added to the playlist goes in as the page wrote it.
        form1_->sButton2Click();
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        qv::rows::append(*form1_->ListBox1, QStringLiteral("Tom &amp; Jerry &#x263A;"));
        form1_->ListBox2 << songLink(4);
        QCOMPARE(form1_->ListBox1->item(0)->text(), "Tom & Jerry ☺");
        addToPlaylist(0, 0);
        QVERIFY(readAll(file("R&amp;B.qvl"))
                    .endsWith("Tom &amp; Jerry &#x263A;\r\n" + songLink(4).toLatin1() + "\r\n"));
        QCOMPARE(names(), "R&amp;B\r\n");
    }

    // Entries after an empty title are not shown, and survive every edit.
    void hiddenEntriesAndOddLines() {
        const QByteArray hidden = "\r\n\r\nH\r\nh";
        start("P\r\n", {{"P", "A\r\na\r\nB\r\nb\r\nC\r\nc" + hidden}});
        form1_->sButton4Click();
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"A", "B", "C"}));
        selectOwn(0);
        form1_->MoveDown1Click();
        selectOwn(0);
        form1_->Delete1Click();
        fillResults(1);
        form1_->sButton2Click();
        addToPlaylist(0, 0);
        QCOMPARE(readAll(file("P.qvl")),
                 "A\r\na\r\nC\r\nc" + hidden + "\r\nSong 1\r\n" + songLink(1).toLatin1() + "\r\n");
        form1_->sButton4Click();
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"A", "C"}));

        writeAll(file("P.qvl"), "A\r\na\r\nB");
        form1_->sButton4Click();
        QCOMPARE(form1_->ListBox3, QStringList({"a", ""}));
        selectOwn(1);
        form1_->Moveup1Click();
        QCOMPARE(readAll(file("P.qvl")), "B\r\n\r\nA\r\na\r\n");
        QCOMPARE(form1_->ListBox3, QStringList({"", "a"}));
    }

    // The visibility table, the selector's change rule and the login shell.
    // The three lists and the controls that go with each, whichever came before.
    void modes_data() {
        QTest::addColumn<QStringList>("pressed");
        QTest::addColumn<QStringList>("shown");
        QTest::addColumn<int>("kind");
        const QStringList own = {"sListBox1", "sComboBox3", "sBitBtn12", "sBitBtn13"};
        const QStringList favourites = {"sListBox2", "sBitBtn14"};
        const QStringList results = {"ListBox1"};
        const int kOwn = int(Form1::ListKind::OwnPlaylist);
        const int kFavourites = int(Form1::ListKind::Favourites);
        const int kResults = int(Form1::ListKind::SearchResults);
        QTest::newRow("own playlist") << QStringList{"own"} << own << kOwn;
        QTest::newRow("favourites") << QStringList{"favourites"} << favourites << kFavourites;
        QTest::newRow("favourites after own")
            << QStringList{"own", "favourites"} << favourites << kFavourites;
        QTest::newRow("own after favourites") << QStringList{"favourites", "own"} << own << kOwn;
        QTest::newRow("results after own") << QStringList{"own", "results"} << results << kResults;
        QTest::newRow("results after favourites")
            << QStringList{"own", "favourites", "results"} << results << kResults;
    }

    void modes() {
        QFETCH(QStringList, pressed);
        QFETCH(QStringList, shown);
        QFETCH(int, kind);
        startWithTwoPlaylists();
        for (const QString& button : std::as_const(pressed)) {
            if (button == "own") {
                form1_->sButton4Click();
                QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"a1"}));
            } else if (button == "favourites") {
                // Autologin off: the login opens, the main window stays usable.
                form1_->sButton3Click();
                QVERIFY(form1_->windows.form14->isVisible());
                QVERIFY(form1_->isEnabled());
                form1_->windows.form14->close();
            } else {
                form1_->sButton2Click();
            }
        }
        const QList<QPair<const QWidget*, QString>> controls = {
            {form1_->ListBox1, "ListBox1"},   {form1_->sListBox1, "sListBox1"},
            {form1_->sListBox2, "sListBox2"}, {form1_->sComboBox3, "sComboBox3"},
            {form1_->sBitBtn12, "sBitBtn12"}, {form1_->sBitBtn13, "sBitBtn13"},
            {form1_->sBitBtn14, "sBitBtn14"}};
        QStringList visible;
        for (const auto& [control, name] : controls) {
            if (!control->isHidden())
                visible << name;
        }
        QCOMPARE(visible, shown);
        QCOMPARE(int(form1_->shownList().kind), kind);
        QCOMPARE(qv::rows::selected(*form1_->ListBox1), 1); // the results keep their selection
        QVERIFY(messages_->records.isEmpty());
    }

    // The "Playlists" menu offers what applies to the shown list: with the
    // results shown, adding the selected result to the current playlist.
    void playlistsMenuAddsTheSelectedResult() {
        startWithTwoPlaylists();
        form1_->sButton4Click();
        form1_->sButton2Click();
        emit form1_->Playlists1->aboutToShow();
        QVERIFY(form1_->Addsongtocurrentplaylist1->isEnabled());
        QVERIFY(!form1_->DeletesongfromPlaylist1->isEnabled());
        form1_->Addsongtocurrentplaylist1->trigger();
        QCOMPARE(readAll(file("A.qvl")), "a1\r\nx\r\nSong 2\r\n" + songLink(2).toLatin1() + "\r\n");
    }

    // Refresh keeps the main window disabled until the login closes.
    void favouritesRefreshWaitsForTheLogin() {
        startWithTwoPlaylists();
        form1_->sButton3Click();
        form1_->windows.form14->close();
        form1_->sBitBtn14Click();
        QVERIFY(!form1_->isEnabled());
        form1_->windows.form14->close();
        QVERIFY(form1_->isEnabled());
    }

    // Only the user's changes to the selector load a playlist.
    void selectorLoadsOnUserChangesOnly() {
        startWithTwoPlaylists();
        form1_->sButton4Click();
        form1_->sComboBox3->setEditText("B");
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"a1"}));
        form1_->sComboBox3->setCurrentIndex(0);
        QTest::keyClick(form1_->sComboBox3, Qt::Key_Down); // picks "B"
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"b1"}));
        form1_->sComboBox3->lineEdit()->clear();
        QTest::keyClicks(form1_->sComboBox3->lineEdit(), "A");
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"a1"}));
        QVERIFY(messages_->records.isEmpty());
        // Typing on past a name: each change loads, the unknown name reports and shows nothing.
        QTest::keyClicks(form1_->sComboBox3->lineEdit(), "x");
        QCOMPARE(messages_->records.size(), 1);
        QVERIFY(messages_->records[0].text.startsWith("Cannot open file \"" + file("Ax.qvl")));
        QCOMPARE(form1_->sListBox1->count(), 0);
        QCOMPARE(form1_->ListBox3.size(), 0);
    }

    // Missing files report the path and leave the holders as the store says.
    void missingFiles() {
        start("A\r\nGone\r\n", {{"A", "a\r\nx\r\n"}});
        form1_->sComboBox3->setEditText("Gone");
        writeAll(file("playlists.ini"), "A\r\nGone\r\nNew\r\n");
        form1_->sButton4Click();
        QCOMPARE(messages_->records.size(), 1);
        QVERIFY(messages_->records[0].text.startsWith("Cannot open file \"" + file("Gone.qvl")));
        QCOMPARE(form1_->sListBox1->count(), 0);
        QCOMPARE(form1_->Memo2, QString());
        // The names were not re-read: the selector keeps its old items.
        QCOMPARE(itemsOf(*form1_->sComboBox3), QStringList({"A", "Gone"}));
        QVERIFY(!form1_->sListBox1->isHidden());

        QFile::remove(file("playlists.ini"));
        form1_->Button8Click();
        QCOMPARE(form1_->playlists, QString());
        QCOMPARE(messages_->records.size(), 2);

        install_->writeSettings({"[General]", "Reportstarts=0", "[Favorites]", "Autologin=1"});
        form1_->sButton3Click();
        QVERIFY(messages_->records.last().text.contains("temp/favorites.txt"));
    }

    void deletePlaylist() {
        start("A\r\nB\r\nC", {{"A", "a\r\n1\r\n"}, {"B", "b\r\n2\r\n"}, {"C", "c\r\n3\r\n"}});
        form1_->sComboBox3->setEditText("B");
        form1_->sButton4Click();

        messages_->answers = {false};
        form1_->sBitBtn13Click();
        QCOMPARE(messages_->records.at(0).kind, qv::MessageKind::Question);
        QCOMPARE(messages_->records.at(0).text, "Do you really want to delete the playlist \"B\"");
        QVERIFY(QFile::exists(file("B.qvl")));
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"b"}));

        messages_->answers = {true};
        form1_->sBitBtn13Click();
        QVERIFY(!QFile::exists(file("B.qvl")));
        QCOMPARE(names(), "A\r\nC\r\n");
        QCOMPARE(form1_->currentPlaylist(), "A");
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"a"}));
        QCOMPARE(itemsOf(*form1_->sComboBox3), QStringList({"A", "C"}));
        QCOMPARE(form1_->AddtoPlaylist1->actions().size(), 2);
        QCOMPARE(form1_->AddtoPlaylist1->actions().at(1)->text(), "C");

        // A name that is not listed: its file goes, the names stay.
        writeAll(file("Stray.qvl"), "s\r\n");
        form1_->sComboBox3->setEditText("Stray");
        messages_->answers = {true};
        form1_->sBitBtn13Click();
        QVERIFY(!QFile::exists(file("Stray.qvl")));
        QCOMPARE(names(), "A\r\nC\r\n");

        // Deleting the last one leaves the selector empty and reports the load.
        messages_->clear();
        messages_->answers = {true, true};
        form1_->sBitBtn13Click();
        form1_->sBitBtn13Click();
        QCOMPARE(names(), "");
        QCOMPARE(form1_->sComboBox3->currentText(), "");
        QCOMPARE(form1_->sComboBox3->count(), 0);
        QVERIFY(messages_->records.last().text.startsWith("Cannot open file"));

        // A traversing selector text deletes nothing outside the directory.
        writeAll(install_->path("outside.qvl"), "keep");
        form1_->sComboBox3->setEditText("../outside");
        messages_->answers = {true};
        form1_->sBitBtn13Click();
        QCOMPARE(readAll(install_->path("outside.qvl")), "keep");
    }

    void importAndExport() {
        static const char kOdd[] = "Z\r\nz\r\n\r\nhidden\0bytes";
        const QByteArray odd(kOdd, sizeof kOdd - 1);
        start("A\r\n", {{"A", odd}});
        qv::Form15& form15 = *form1_->windows.form15;
        qv::Form16& form16 = *form1_->windows.form16;

        // Export: byte for byte, ".qvl" added to a bare name.
        chosenFile_ = install_->path("out");
        form1_->exportplaylist1Click();
        QCOMPARE(itemsOf(*form16.sComboBox1), QStringList({"A"}));
        QCOMPARE(form16.sComboBox1->currentText(), "A");
        QTest::mouseClick(form16.sBitBtn1, Qt::LeftButton);
        QVERIFY(!form16.isVisible());
        QCOMPARE(readAll(install_->path("out.qvl")), odd);
        QCOMPARE(form1_->SaveDialog1.title, "Export");
        QCOMPARE(form1_->SaveDialog1.filter, "Quorvell Radioplayer playlist file (*.qvl)");

        // A typed name without a playlist: the window closes, the failure is told.
        form1_->exportplaylist1Click();
        form16.sComboBox1->setEditText("Nope");
        chosenFile_ = install_->path("nope.qvl");
        form16.sBitBtn1Click();
        QVERIFY(!form16.isVisible());
        QVERIFY(!QFile::exists(install_->path("nope.qvl")));
        QCOMPARE(messages_->records.size(), 1);

        // Import: refused names leave the window open and copy nothing.
        messages_->clear();
        chosenFile_ = install_->path("out.qvl");
        form1_->Importplaylist1Click();
        QVERIFY(form15.isVisible());
        for (const char* typed : {"", "A", ".."}) {
            form15.sEdit1->setText(typed);
            form15.sButton1Click();
            QVERIFY(form15.isVisible());
        }
        QCOMPARE(messages_->records.size(), 3);
        QCOMPARE(names(), "A\r\n");
        form15.sEdit1->setText("Copy");
        form15.sButton1Click();
        QVERIFY(!form15.isVisible());
        QCOMPARE(names(), "A\r\nCopy\r\n");
        QCOMPARE(readAll(file("Copy.qvl")), odd);
        form1_->sComboBox3->setEditText("Copy");
        form1_->sButton4Click();
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"Z"}));
        QCOMPARE(itemsOf(*form1_->sComboBox3), QStringList({"A", "Copy"}));

        // A source that cannot be read lists nothing.
        messages_->clear();
        chosenFile_ = install_->path("missing.qvl");
        form1_->Importplaylist1Click();
        form15.sEdit1->setText("Ghost");
        form15.sButton1Click();
        QCOMPARE(messages_->records.size(), 1);
        QCOMPARE(names(), "A\r\nCopy\r\n");
        // A cancelled open dialog shows no name window.
        chosenFile_.reset();
        form1_->Importplaylist1Click();
        QVERIFY(!form15.isVisible());
    }

    // A failed write leaves the file as it was and the lists in step with it.
    void failedWriteLosesNothing() {
        start("P\r\n", {{"P", "A\r\na\r\nB\r\nb\r\n"}});
        form1_->sButton4Click();
        // Deleting a song writes below the working directory: make that impossible.
        QTemporaryDir work;
        QDir(work.path()).mkpath("Playlists/P.qvl");
        qv::paths::setWorkDir(work.path());
        selectOwn(0);
        form1_->Delete1Click();
        QCOMPARE(messages_->records.size(), 1);
        QVERIFY(messages_->records[0].text.startsWith("Cannot create file"));
        QCOMPARE(rowsOf(*form1_->sListBox1), QStringList({"A", "B"}));
        QCOMPARE(readAll(file("P.qvl")), "A\r\na\r\nB\r\nb\r\n");
    }
};

QTEST_MAIN(TestPlaylists)
#include "test_playlists.moc"
