// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"
#include "fakemediaplayer.h"
#include "favouritesscan.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "testinstall.h"
#include "testportal.h"
#include "testprogram.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

using qv::Form1;
using qv::favourites::Favourite;
namespace cat = demo::catalogue;

namespace {

QList<Favourite> scan(const QString& page) {
    QList<Favourite> items;
    qv::favourites::FavouritesScanner scanner(page);
    while (std::optional<Favourite> item = scanner.next())
        items << *item;
    return items;
}

QString item(const QString& address, const QString& title) {
    return QStringLiteral("<li class=\"song\"><a href=\"%1\">%2</a></li>\n").arg(address, title);
}

QStringList rowsOf(const QListWidget& list) {
    QStringList texts;
    for (int i = 0; i < list.count(); ++i)
        texts << qv::rows::holder(list, i);
    return texts;
}

} // namespace

class TestFavourites : public ProgramTest {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};

    qv::Form14& login() { return *form1_->windows.form14; }
    QByteArray settings() const { return readAll(install_->path("settings.ini")); }

    // The favourites of a portal user as the lists must hold them: titles
    // and addresses, each as the page's bytes.
    QPair<QStringList, QStringList> expected(const std::string& user) const {
        QStringList titles, addresses;
        const std::string base = portal_.baseUrl();
        for (const std::string& n : cat::favoriteSongs(user)) {
            titles << QString::fromLatin1(cat::songTitle(n));
            addresses << QString::fromLatin1(cat::songLink(base, n));
        }
        return {titles, addresses};
    }

    void logIn(const QString& name, bool remember) {
        form1_->Login3Click();
        login().sEdit1->setText(name);
        login().sCheckBox1->setChecked(remember);
        QTest::mouseClick(login().sButton1, Qt::LeftButton);
    }

    qsizetype favouritesRequests() const {
        const std::vector<std::string> log = portal_.requestLog();
        return std::count_if(log.begin(), log.end(), [](const std::string& line) {
            return line.find("/favorites/") != std::string::npos;
        });
    }

private slots:
    void initTestCase() { portal_.start(); }

    void init() {
        install_ = quietInstall(&portal_);
        messages_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer();
    }

    void cleanup() { endProgram(); }

    void scanCutsItemsVerbatim() {
        const QString before = item("/listen/1/", "Decoy");
        // From the heading on, in page order; references and blanks stay.
        QCOMPARE(scan(before + "<h2>Favorite Audio Submissions</h2>" + item("/a/", " R&amp;B ") +
                      item("", "No address")),
                 (QList<Favourite>{{"/a/", " R&amp;B "}, {"", "No address"}}));
        // Without the heading the page is scanned from its start.
        QCOMPARE(scan(before), (QList<Favourite>{{"/listen/1/", "Decoy"}}));
        // An item never closed ends the scan there, an address or a title alike.
        const QString open = QStringLiteral("<li class=\"song\"><a href=\"/b/");
        QCOMPARE(scan(item("/a/", "A") + open), (QList<Favourite>{{"/a/", "A"}}));
        QCOMPARE(scan(item("/a/", "A") + open + "\">B" + item("/c/", "C").remove("</a>")),
                 (QList<Favourite>{{"/a/", "A"}}));
        QCOMPARE(scan(QStringLiteral("<li class=\"song\">")), QList<Favourite>());
        // At most 700 items.
        QString many;
        for (int i = 0; i < 701; ++i)
            many += item(QString::number(i), "T");
        const QList<Favourite> taken = scan(many);
        QCOMPARE(taken.size(), 700);
        QCOMPARE(taken.last().address, QStringLiteral("699"));
    }

    void loginNames() {
        for (const char* good : {"alice", "A-1", "x",
                                 "abcdefghij0123456789abcdefghij0123456789abcdefghij0123456789abc"})
            QVERIFY2(qv::favourites::validLoginName(QLatin1String(good)), good);
        for (const char* bad : {"", "-a", "a-", "a.b", "a/b", "../x", "a b", "a@b", "ä", "a:80",
                                "abcdefghij0123456789abcdefghij0123456789abcdefghij0123456789abcd"})
            QVERIFY2(!qv::favourites::validLoginName(QString::fromUtf8(bad)), bad);
    }

    // OK remembers the name or not; the next opening shows what was stored.
    void loginStoresItsChoice() {
        form1_->Login3Click();
        QVERIFY(login().isVisible());
        QVERIFY(login().sEdit1->text().isEmpty());
        QVERIFY(login().sCheckBox1->isChecked()); // ticked while the key is missing
        login().close();

        logIn("alice", true);
        QVERIFY(!login().isVisible());
        QCOMPARE(messages_->texts(), QStringList());
        QCOMPARE(settings(), QByteArray("[General]\r\nReportstarts=0\r\n[Favorites]\r\n"
                                        "Autologin=1\r\nLoginname=alice\r\n"));
        const auto [titles, addresses] = expected("alice");
        QCOMPARE(rowsOf(*form1_->sListBox2), titles);
        QCOMPARE(form1_->ListBox4, addresses);
        QCOMPARE(readAll(install_->path("temp/favorites.txt")).size(), form1_->Memo3.size());

        logIn("carol", false);
        QCOMPARE(settings(), QByteArray("[General]\r\nReportstarts=0\r\n[Favorites]\r\n"
                                        "Autologin=0\r\nLoginname=\r\n"));
        QCOMPARE(form1_->ListBox4, expected("carol").second.mid(0, 700));
        form1_->Login3Click();
        QVERIFY(login().sEdit1->text().isEmpty());
        QVERIFY(!login().sCheckBox1->isChecked());
    }

    // "Refresh" disables the main window until the login window closes,
    // by Cancel or by its title bar.
    void refreshWaitsForTheLogin() {
        for (const bool byTitleBar : {false, true}) {
            form1_->sBitBtn14Click();
            QVERIFY(!form1_->isEnabled());
            if (byTitleBar)
                login().close();
            else
                QTest::mouseClick(login().sButton2, Qt::LeftButton);
            QVERIFY(form1_->isEnabled());
            QVERIFY(!login().isVisible());
        }
        QCOMPARE(settings(), QByteArray("[General]\r\nReportstarts=0"));
    }

    // A refused name or a failed download: Autologin is written, Loginname
    // not, the window stays open, the lists keep their entries.
    void failedFetchLosesNothing() {
        logIn("alice", true);
        const QByteArray page = readAll(install_->path("temp/favorites.txt"));
        const QStringList titles = rowsOf(*form1_->sListBox2);
        const qsizetype requests = favouritesRequests();

        for (const char* name : {"a.b/../x", "dave"}) {
            messages_->clear();
            form1_->sBitBtn14Click();
            login().sEdit1->setText(QLatin1String(name));
            login().sCheckBox1->setChecked(false);
            QTest::mouseClick(login().sButton1, Qt::LeftButton);
            QVERIFY(login().isVisible());
            QVERIFY(!form1_->isEnabled());
            QCOMPARE(settings(), QByteArray("[General]\r\nReportstarts=0\r\n[Favorites]\r\n"
                                            "Autologin=0\r\nLoginname=alice\r\n"));
            QCOMPARE(rowsOf(*form1_->sListBox2), titles);
            QCOMPARE(readAll(install_->path("temp/favorites.txt")), page);
            login().close();
        }
        QCOMPARE(messages_->texts(),
                 QStringList{"Error downloading URL: " + QString::fromStdString(portal_.baseUrl()) +
                             "/users/dave/favorites/"});
        QCOMPARE(favouritesRequests(), requests + 1); // the refused name asked nothing
    }

    // "Favorite songs" scans the cached page only with Autologin on; the
    // login window's default and the button's disagree on a missing key.
    void favouriteSongsButton() {
        form1_->sButton3Click();
        QVERIFY(login().isVisible());
        QVERIFY(login().sCheckBox1->isChecked());
        QVERIFY(form1_->isEnabled());
        login().close();

        install_->writeSettings({"[Favorites]", "Autologin=1"});
        form1_->sButton3Click();
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY(messages_->texts().first().startsWith("Cannot open file \""));
        QVERIFY(!login().isVisible());

        writeAll(install_->path("temp/favorites.txt"),
                 (item("/x/", "X") + "<h2>Favorite Audio Submissions</h2>" + item("/y/", "Y"))
                     .toLatin1());
        const qsizetype requests = favouritesRequests();
        form1_->sButton3Click();
        QCOMPARE(rowsOf(*form1_->sListBox2), QStringList{"Y"});
        QCOMPARE(form1_->ListBox4, QStringList{"/y/"});
        QVERIFY(form1_->sListBox2->isVisibleTo(form1_.get()));
        QCOMPARE(favouritesRequests(), requests);
    }

    // "Import" saves the favourites as a new playlist and shows it.
    void importFavourites() {
        logIn("alice", true);
        form1_->Export1Click();
        qv::Form17& import = *form1_->windows.form17;
        QVERIFY(import.isVisible());
        import.sEdit1->setText("My favourites");
        QTest::mouseClick(import.sButton1, Qt::LeftButton);
        QVERIFY(!import.isVisible());
        QCOMPARE(messages_->texts(), QStringList());

        const auto [titles, addresses] = expected("alice");
        QByteArray bytes;
        for (qsizetype i = 0; i < titles.size(); ++i)
            bytes += titles[i].toLatin1() + "\r\n" + addresses[i].toLatin1() + "\r\n";
        QCOMPARE(readAll(install_->path("Playlists/My favourites.qvl")), bytes);
        QCOMPARE(readAll(install_->path("Playlists/playlists.ini")),
                 QByteArray("My favourites\r\n"));
        QVERIFY(form1_->sListBox1->isVisibleTo(form1_.get()));
        QCOMPARE(form1_->sComboBox3->currentText(), QStringLiteral("My favourites"));
        QCOMPARE(rowsOf(*form1_->sListBox1), titles);
        QCOMPARE(form1_->ListBox3, addresses);

        // A listed or empty name saves nothing and keeps the window open.
        for (const char* name : {"My favourites", ""}) {
            messages_->clear();
            form1_->Export1Click();
            import.sEdit1->setText(QLatin1String(name));
            QTest::mouseClick(import.sButton1, Qt::LeftButton);
            QVERIFY(import.isVisible());
            QCOMPARE(messages_->texts(), QStringList{*name ? "Playlist already exists"
                                                           : "Please fill in a playlist name"});
            import.close();
        }
        QCOMPARE(readAll(install_->path("Playlists/playlists.ini")),
                 QByteArray("My favourites\r\n"));
    }
};

QTEST_MAIN(TestFavourites)
#include "test_favourites.moc"
