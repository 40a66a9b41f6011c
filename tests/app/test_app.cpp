// SPDX-License-Identifier: GPL-3.0-or-later
#include "atoms.h"
#include "boundary.h"
#include "clicklabel.h"
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "skinengine.h"
#include "testinstall.h"
#include "testloop.h"
#include "testportal.h"
#include "testprogram.h"
#include "webtransfer.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPainter>
#include <QPointer>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTest>
#include <QTimer>
#include <QToolButton>

using qv::FakeMediaPlayer;
using qv::Form1;

namespace {

// The captions of a menu's entries in order; a separator is "-".
QStringList captions(const QMenu* menu) {
    QStringList out;
    for (const QAction* action : menu->actions())
        out << (action->isSeparator() ? QStringLiteral("-") : action->text());
    return out;
}

// What is visible of a widget on its own, whatever its window's state.
bool shown(const QWidget* widget) {
    return !widget->isHidden();
}

} // namespace

class TestApp : public QObject {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};
    std::unique_ptr<TestInstall> install_;
    FakeMediaPlayer* player_ = nullptr;

    // The start-up report's requests that have not been disposed of yet.
    static QList<QNetworkReply*> reportRequests(const Form1& form1) {
        return form1.WebBrowser1->findChildren<QNetworkReply*>();
    }

    // Runs the whole start-up against the demo portal with the fake player.
    std::unique_ptr<Form1> start(qv::UpdateCheck check = qv::UpdateCheck::Run) {
        auto player = std::make_unique<FakeMediaPlayer>();
        player_ = player.get();
        return qv::startProgram(std::move(player), check);
    }

private slots:
    void initTestCase() {
        portal_.start();
        shortenSplashPauses();
    }

    void init() {
        install_ = std::make_unique<TestInstall>();
        install_->usePortal(portal_);
    }

    void cleanup() { install_.reset(); }

    void startUpWithEmptyPlaylistIndex() {
        qv::MessageRecorder messages;
        const auto form1 = start();

        QVERIFY(messages.records.isEmpty());
        QCOMPARE(QCoreApplication::applicationName(), QStringLiteral("Quorvell Radio Player"));
        QCOMPARE(form1->windowTitle(), QStringLiteral("Quorvell Music Player 1.36"));
        QVERIFY(form1->isVisible());
        QCOMPARE(form1->centralWidget()->size(), QSize(619, 351));
        QCOMPARE(form1->minimumSize(), form1->maximumSize()); // fixed size

        QCOMPARE(player_->volumeRequests, QList<int>{50});
        QCOMPARE(form1->sComboBox3->count(), 0);
        QCOMPARE(form1->sComboBox3->currentText(), QString());
        QVERIFY(form1->AddtoPlaylist1->actions().isEmpty());
        QCOMPARE(form1->playlists, QString());

        // Four distinct identifiers, known under their names until shutdown.
        const QSet<int> ids(form1->hotkeyIds.begin(), form1->hotkeyIds.end());
        QCOMPARE(ids.size(), 4);
        QVERIFY(!ids.contains(0));
        for (int slot = 0; slot < 4; ++slot)
            QCOMPARE(qv::atoms::find(Form1::kHotkeyAtomNames[slot]), form1->hotkeyIds[slot]);

        // Every secondary window exists, with its caption.
        const qv::SecondaryWindows& w = form1->windows;
        const QList<QPair<QWidget*, QString>> expected = {
            {w.aboutBox.get(), "About"},
            {w.form5.get(), "Changelog"},
            {w.form3.get(), ""},
            {w.form9.get(), "Update notifier"},
            {w.form10.get(), "Update manager"},
            {w.form11.get(), "Settings"},
            {w.form12.get(), "Playlist name"},
            {w.form13.get(), ""},
            {w.form14.get(), "Login"},
            {w.form15.get(), "Playlist name"},
            {w.form16.get(), "Export playlist"},
            {w.form17.get(), "Import Favorites"},
        };
        for (const auto& [window, caption] : expected) {
            QVERIFY(window);
            QCOMPARE(window->windowTitle(), caption);
            QVERIFY(!window->isVisible());
        }

        // Start-up only reads the settings; it writes no file of its own.
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits(), 1, 5000);
        QVERIFY(!QFileInfo::exists(install_->path("settings.ini")));
    }

    // The secondary windows make their controls when first shown, under the
    // skin of that moment, and then look exactly as windows made at start and
    // restyled by the change of skin.
    void secondaryWindowsMakeTheirControlsWhenFirstShown_data() {
        QTest::addColumn<QString>("skin");
        QTest::newRow("built-in") << "WMP 2008";
        QTest::newRow("Silver") << "Silver";
        QTest::newRow("Ember") << "Ember";
    }
    void secondaryWindowsMakeTheirControlsWhenFirstShown() {
        QFETCH(QString, skin);
        install_->writeSettings({"[General]", "Reportstarts=0"});
        const auto form1 = start();
        const qv::SecondaryWindows& w = form1->windows;
        // Of the windows only the splash, which the update check showed, has controls.
        QVERIFY(!w.form3->findChildren<QWidget*>().isEmpty());
        for (QWidget* window : std::initializer_list<QWidget*>{
                 w.aboutBox.get(), w.form5.get(), w.form9.get(), w.form10.get(), w.form11.get(),
                 w.form12.get(), w.form13.get(), w.form14.get(), w.form15.get(), w.form16.get(),
                 w.form17.get()})
            QVERIFY2(window->findChildren<QWidget*>().isEmpty(), window->metaObject()->className());

        qv::AboutBox aboutAtStart(*form1);
        qv::Form11 settingsAtStart(*form1);
        qv::Form14 loginAtStart(*form1);
        qv::Form16 exportAtStart(*form1);
        aboutAtStart.ensureBuilt();
        settingsAtStart.ensureBuilt();
        loginAtStart.ensureBuilt();
        exportAtStart.ensureBuilt();

        // The skin changes as "Apply" changes it.
        install_->writeSettings(
            {"[General]", "Reportstarts=0", "[Skin]", "Name=" + skin, "EXTBorders=0", "HUE=200"});
        qv::SkinEngine& engine = *form1->sSkinManager1;
        {
            const qv::SkinEngine::Hold once(engine);
            engine.setSkinDirectory(QStringLiteral(QV_SOURCE_DIR "/skins"));
            engine.setSkinName(skin);
            engine.setExtendedBorders(false);
            engine.setHueOffset(200);
        }

        const struct {
            QWidget* window;
            QWidget* atStart;
            void (Form1::*open)();
        } cases[] = {{w.aboutBox.get(), &aboutAtStart, &Form1::About1Click},
                     {w.form11.get(), &settingsAtStart, &Form1::Settings1Click},
                     {w.form14.get(), &loginAtStart, &Form1::Login3Click},
                     {w.form16.get(), &exportAtStart, &Form1::exportplaylist1Click}};
        for (const auto& c : cases) {
            const char* const name = c.window->metaObject()->className();
            (form1.get()->*c.open)();
            QVERIFY2(c.window->isVisible(), name);
            c.atStart->show();
            // Neither has the focus, which would draw a frame or a cursor.
            form1->setEnabled(true);
            form1->activateWindow();
            QTRY_COMPARE_WITH_TIMEOUT(QApplication::activeWindow(), form1.get(), 5000);
            const QImage shown = c.window->grab().toImage();
            QCOMPARE(shown.pixelColor(1, 1).name(), engine.colour(QPalette::Window).name());
            QVERIFY2(shown == c.atStart->grab().toImage(), name);
            c.window->close();
            c.atStart->close();
        }
    }

    void playlistNamesFillChooserAndSubmenu() {
        writeAll(install_->path("Playlists/playlists.ini"),
                 "Rock\r\nJazz & Blues\r\nCaf\xc3\xa9\r\n");
        qv::MessageRecorder messages;
        const auto form1 = start();

        QVERIFY(messages.records.isEmpty());
        QCOMPARE(form1->playlists, QString::fromLatin1("Rock\r\nJazz & Blues\r\nCaf\xc3\xa9\r\n"));
        QComboBox* chooser = form1->sComboBox3;
        QCOMPARE(chooser->count(), 3);
        QCOMPARE(chooser->itemText(2), QStringLiteral("Caf\u00e9")); // shown decoded
        QCOMPARE(chooser->currentText(), QStringLiteral("Rock"));

        const QList<QAction*> items = form1->AddtoPlaylist1->actions();
        QCOMPARE(items.size(), 3);
        QCOMPARE(items[1]->text(), QStringLiteral("Jazz && Blues")); // no mnemonic
        for (int i = 0; i < 3; ++i)
            QCOMPARE(items[i]->data().toInt(), i);
    }

    void missingPlaylistIndexIsReportedAndStartUpGoesOn() {
        QFile::remove(install_->path("Playlists/playlists.ini"));
        qv::MessageRecorder messages;
        const auto form1 = start();

        QCOMPARE(messages.records.size(), 1);
        QCOMPARE(messages.records[0].kind, qv::MessageKind::Error);
        QCOMPARE(messages.records[0].title, QStringLiteral("Quorvell Radio Player"));
        QVERIFY2(
            messages.records[0].text.startsWith(
                QStringLiteral("Cannot open file \"%1\". ")
                    .arg(QFileInfo(install_->path("Playlists/playlists.ini")).absoluteFilePath())),
            qPrintable(messages.records[0].text));

        // The steps before the playlists took effect; the chooser keeps its
        // initial text and has no items.
        QVERIFY(form1->isVisible());
        QCOMPARE(player_->volumeRequests, QList<int>{50});
        QVERIFY(std::find(form1->hotkeyIds.begin(), form1->hotkeyIds.end(), 0) ==
                form1->hotkeyIds.end());
        QCOMPARE(form1->sComboBox3->count(), 0);
        QCOMPARE(form1->sComboBox3->currentText(), QStringLiteral("Standart Playlist"));
        QVERIFY(form1->AddtoPlaylist1->actions().isEmpty());
        QVERIFY(form1->windows.form17);
    }

    void startReportOnlyWhenSwitchedOn_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<int>("hits");
        QTest::newRow("off") << "Reportstarts=0" << 0;
        QTest::newRow("on") << "Reportstarts=1" << 1;
        QTest::newRow("default") << "" << 1;
    }

    void startReportOnlyWhenSwitchedOn() {
        QFETCH(QString, setting);
        QFETCH(int, hits);
        install_->writeSettings({"[General]", setting});
        const int before = portal_.counterHits();
        const auto form1 = start();

        // The report can only go out during the start, through the report's
        // browser; once the start has ended and every request of that browser
        // has ended, the portal has counted all there will be.
        QTRY_VERIFY_WITH_TIMEOUT(reportRequests(*form1).isEmpty(), 5000);
        QCOMPARE(portal_.counterHits() - before, hits);
    }

    // The report fails against a closed port; that is never shown.
    void unreachableCounterIsNeverNoticed() {
        qv::Servers servers = qv::Servers::current();
        servers.counter = QStringLiteral("http://127.0.0.1:9");
        qv::Servers::setCurrent(servers);
        qv::MessageRecorder messages;
        // Without the check no nested event loop runs, so the request is
        // still there to be watched even if it has ended already.
        const auto form1 = start(qv::UpdateCheck::Skip);
        const QList<QNetworkReply*> requests = reportRequests(*form1);
        QCOMPARE(requests.size(), 1);
        const QPointer<QNetworkReply> report = requests.first();
        QNetworkReply::NetworkError error = QNetworkReply::NoError;
        const QObject watching; // ends the connection before error goes
        if (report->isFinished())
            error = report->error();
        else
            connect(report, &QNetworkReply::finished, &watching, [&] { error = report->error(); });
        // Gone once its end has been handled.
        QTRY_VERIFY_WITH_TIMEOUT(!report, 5000);
        QCOMPARE(error, QNetworkReply::ConnectionRefusedError);
        QVERIFY(messages.records.isEmpty());
    }

    void skinAndTraySwitchesFromSettings() {
        install_->writeSettings({"[Skin]", "Enabled=0", "Name=Aqua", "EXTBorders=0", "Glowing=0",
                                 "HUE_enabled=0", "HUE=120", "[General]", "ShowTrayicon=0",
                                 "MinimizeToTray=0", "Reportstarts=0"});
        {
            const auto form1 = start();
            const qv::SkinEngine& skin = *form1->sSkinManager1;
            QCOMPARE(skin.Active(), false);
            QCOMPARE(skin.SkinName(), QStringLiteral("Aqua"));
            QCOMPARE(skin.ExtendedBorders(), false);
            QCOMPARE(skin.AllowGlowing(), false);
            QCOMPARE(skin.HueOffset(), 0); // not applied while the hue is switched off
            QCOMPARE(form1->trayIconVisible, false);
            QCOMPARE(form1->ShowTrayiconAlways, false);
            QCOMPARE(form1->minimizeToTray, false);
        }
        install_->writeSettings({"[Skin]", "HUE=120", "[General]", "Reportstarts=0"});
        const auto form1 = start();
        const qv::SkinEngine& skin = *form1->sSkinManager1;
        QCOMPARE(skin.Active(), true);
        QCOMPARE(skin.SkinName(), QStringLiteral("WMP 2008"));
        QCOMPARE(skin.HueOffset(), 120);
        QCOMPARE(form1->trayIconVisible, true);
        QCOMPARE(form1->ShowTrayiconAlways, true);
        QCOMPARE(form1->minimizeToTray, true);
    }

    void controlsAndMenusInOrder() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        const auto form1 = start(qv::UpdateCheck::Skip); // its outcome shows in the strip

        QStringList menus;
        for (const QAction* action : form1->menuBar()->actions())
            menus << action->text();
        QCOMPARE(menus, QStringList({"File", "Playlists", "Favorites", "Extras", "Help"}));
        QCOMPARE(captions(form1->File1),
                 QStringList({"Import playlist", "Export playlist", "-", "Close"}));
        QCOMPARE(captions(form1->Playlists1),
                 QStringList({"Add song to current playlist", "Delete song from Playlist", "-",
                              "Move up", "Move down"}));
        QCOMPARE(captions(form1->Favorites1), QStringList({"Login", "Import"}));
        QCOMPARE(captions(form1->Extras1), QStringList({"Listen to Vellwave", "Check out on QV",
                                                        "Download Song", "-", "Settings"}));
        QCOMPARE(captions(form1->ListentoVellwave1), QStringList({"Cable/DSL/T1", "Dial-Up"}));
        QCOMPARE(captions(form1->Help1), QStringList({"Changelog", "&Contact", "About"}));
        QCOMPARE(captions(form1->PopupMenu1),
                 QStringList({"Play", "Delete", "-", "Move up", "Move down", "-", "Download"}));
        QCOMPARE(captions(form1->PopupMenu2), QStringList({"Add to Playlist", "Play", "Download"}));
        QCOMPARE(captions(form1->PopupMenu3),
                 QStringList(
                     {"Show window", "Play / Pause", "Previous song", "Next song", "-", "Close"}));
        QCOMPARE(form1->PopupMenu3->defaultAction(), form1->Showwindow1);

        // Initial texts, and which controls start hidden.
        QCOMPARE(form1->ComboBox1->currentText(), QStringLiteral("Select genre"));
        QCOMPARE(form1->sComboBox1->currentText(), QStringLiteral("Top rated"));
        QCOMPARE(form1->sComboBox2->currentText(), QStringLiteral("50"));
        QCOMPARE(form1->sComboBox2->count(), 4);
        QCOMPARE(form1->sEdit1->text(), QStringLiteral("1"));
        QCOMPARE(form1->Label4->text(), QStringLiteral("Waiting..."));
        QVERIFY(form1->Label4->font().italic());
        QCOMPARE(form1->Label9->text(), QStringLiteral("Loading..."));
        QCOMPARE(form1->sGauge1->value(), 50);
        QCOMPARE(form1->sGauge1->orientation(), Qt::Vertical);
        QCOMPARE(form1->sGauge2->value(), 0);
        QCOMPARE(form1->sBitBtn11->geometry(), form1->sBitBtn4->geometry());
        QCOMPARE(form1->sLabelFX2->text(), QStringLiteral("Halvane Entertainment"));
        for (QWidget* hidden : std::initializer_list<QWidget*>{
                 form1->sBitBtn11, form1->SpeedButton3, form1->sListBox1, form1->sComboBox3,
                 form1->sBitBtn12, form1->sBitBtn13, form1->sBitBtn14, form1->sButton5,
                 form1->sBitBtn10, form1->sButton7, form1->Label21, form1->Image1, form1->Image2})
            QVERIFY2(!shown(hidden), qPrintable(hidden->metaObject()->className()));
        // Search results are the shown list; the favourites lie behind them.
        QVERIFY(shown(form1->ListBox1) && shown(form1->sListBox2));
        QVERIFY(form1->ListBox1->isAncestorOf(form1->centralWidget()->childAt(500, 150)));

        QCOMPARE(form1->Memo1, QStringLiteral("Memo1"));
        QCOMPARE(form1->Edit2, QStringLiteral("Edit2"));
        QCOMPARE(form1->SpinEdit4, 1);
        QVERIFY(!form1->Timer1->isActive() && !form1->Timer2->isActive());
        QCOMPARE(form1->Timer1->interval(), 2000);
        QCOMPARE(form1->Timer2->interval(), 1000);
    }

    // A double click anywhere in a list presses "Play": an empty list, or
    // below the last row, answers with the list's message.
    void doubleClicksAnywhereInAListPressPlay() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        writeAll(install_->path("Playlists/playlists.ini"), "Empty\r\n");
        writeAll(install_->path("Playlists/Empty.qvl"), {});
        const auto form1 = start(qv::UpdateCheck::Skip);
        qv::MessageRecorder messages;
        const auto doubleClick = [](QListWidget* list, QPoint at,
                                    Qt::MouseButton button = Qt::LeftButton) {
            QTest::mouseClick(list->viewport(), button, {}, at);
            QTest::mouseDClick(list->viewport(), button, {}, at);
        };
        const QPoint empty(20, 10);
        const QString genreFirst = QStringLiteral("Please select a genre and click search first");
        const QString songFirst = QStringLiteral("Please select a song first");

        doubleClick(form1->ListBox1, empty);
        QCOMPARE(messages.texts(), QStringList{genreFirst});
        QVERIFY(form1->Timer2->isActive()); // as Play leaves it with an empty list
        doubleClick(form1->ListBox1, empty, Qt::RightButton);
        QCOMPARE(messages.texts(), QStringList{genreFirst});

        form1->sButton4Click(); // an empty own playlist
        doubleClick(form1->sListBox1, empty);
        form1->sButton3Click(); // no favourites
        doubleClick(form1->sListBox2, empty);
        QCOMPARE(messages.texts(), (QStringList{genreFirst, songFirst, songFirst}));

        // Below the last row of the results.
        form1->sButton2Click();
        for (int n = 1; n <= 2; ++n) {
            qv::rows::append(*form1->ListBox1, QStringLiteral("Song %1").arg(n));
            form1->ListBox2
                << QStringLiteral("http://www.quorvell.example/listen/000000%1/").arg(n);
        }
        const QRect last = form1->ListBox1->visualItemRect(form1->ListBox1->item(1));
        QVERIFY(last.bottom() + 20 < form1->ListBox1->viewport()->height());
        doubleClick(form1->ListBox1, QPoint(20, last.bottom() + 20));
        QVERIFY(player_->url().endsWith(QLatin1String("/audio/download/0000001")));
        QCOMPARE(qv::rows::selected(*form1->ListBox1), 0);
        QCOMPARE(messages.records.size(), 3);
    }

    // The credit link keeps its light grey-blue under every skin, also after
    // the skin changes while the program runs.
    void creditLinkDrawsInItsColour() {
        install_->writeSettings({"[General]", "Reportstarts=0", "[Skin]", "HUE=120"});
        const auto form1 = start(qv::UpdateCheck::Skip);
        form1->sSkinManager1->setSkinDirectory(QStringLiteral(QV_SOURCE_DIR "/skins"));
        const QColor credit(205, 213, 222);
        // The text's own colour, whatever the antialiasing: drawn once on black
        // and once on white, each pixel's coverage and colour follow.
        const auto drawn = [&] {
            QLabel* label = form1->sLabelFX2;
            QImage onBlack(label->size(), QImage::Format_RGB32);
            QImage onWhite(label->size(), QImage::Format_RGB32);
            onBlack.fill(Qt::black);
            onWhite.fill(Qt::white);
            for (QImage* image : {&onBlack, &onWhite}) {
                QPainter painter(image);
                label->render(&painter, QPoint(), QRegion(), QWidget::DrawChildren);
            }
            double best = 0;
            QColor colour;
            for (int y = 0; y < onBlack.height(); ++y) {
                for (int x = 0; x < onBlack.width(); ++x) {
                    const QColor b = onBlack.pixelColor(x, y);
                    const QColor w = onWhite.pixelColor(x, y);
                    const double cover =
                        1 - (w.red() - b.red() + w.green() - b.green() + w.blue() - b.blue()) /
                                (3 * 255.0);
                    if (cover > best) {
                        best = cover;
                        colour = QColor(qRound(b.red() / cover), qRound(b.green() / cover),
                                        qRound(b.blue() / cover));
                    }
                }
            }
            return best > 0.3 ? colour : QColor();
        };
        const auto near = [&](const QColor& c) {
            return c.isValid() && qAbs(c.red() - credit.red()) <= 3 &&
                   qAbs(c.green() - credit.green()) <= 3 && qAbs(c.blue() - credit.blue()) <= 3;
        };
        QCOMPARE(form1->sSkinManager1->HueOffset(), 120);
        QVERIFY2(near(drawn()), qPrintable(drawn().name()));
        const QColor builtIn = form1->sSkinManager1->colour(QPalette::Window);
        for (const char* skin : {"Silver", "Ember"}) {
            form1->sSkinManager1->setSkinName(QLatin1String(skin));
            QVERIFY2(form1->sSkinManager1->colour(QPalette::Window) != builtIn, skin);
            QVERIFY2(near(drawn()), skin);
        }
        form1->sSkinManager1->setActive(false);
        QVERIFY2(near(drawn()), "no skin");
        form1->sSkinManager1->setActive(true);
        form1->setEnabled(false); // while the settings window is open
        QVERIFY2(near(drawn()), "disabled main window");
        // The measure tells colours apart: the skin's own text colour is not it.
        QVERIFY(!near(form1->sSkinManager1->colour(QPalette::WindowText)));
    }

    void collapseAndExpandTheListPanel() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        const auto form1 = start();

        QTest::mouseClick(form1->SpeedButton2, Qt::LeftButton);
        QCOMPARE(form1->centralWidget()->width(), 417);
        QVERIFY(!shown(form1->SpeedButton2) && shown(form1->SpeedButton3));

        QTest::mouseClick(form1->SpeedButton3, Qt::LeftButton);
        QCOMPARE(form1->centralWidget()->width(), 625); // six pixels wider than at start
        QVERIFY(shown(form1->SpeedButton2) && !shown(form1->SpeedButton3));
        QCOMPARE(form1->centralWidget()->height(), 351);
    }

    void backgroundClickClosesTheGenreList() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        const auto form1 = start();
        qv::Form13& genres = *form1->windows.form13;

        // A press on a control is not a press on the background.
        genres.show();
        form1->setEnabled(false);
        QTest::mousePress(form1->Label1, Qt::LeftButton);
        QVERIFY(genres.isVisible());

        QTest::mousePress(form1->centralWidget(), Qt::LeftButton, {}, QPoint(150, 100));
        QVERIFY(!genres.isVisible());
        QVERIFY(form1->isEnabled());
        QCOMPARE(form1->sCheckBox3->isChecked(), false);
    }

    void theExecutableStartsFromItsOwnDirectory() {
        // A portable installation: the executable beside its servers.ini.
        const QString exe = install_->path("qvplayer");
        QVERIFY(QFile::copy(QStringLiteral(QVPLAYER_PATH), exe));
        const int before = portal_.counterHits();

        QProcess player;
        player.setWorkingDirectory(install_->path(""));
        player.setProcessChannelMode(QProcess::ForwardedChannels);
        player.start(exe, {});
        QVERIFY(player.waitForStarted(5000));
        // The start report proves that the main window's creation ran and read
        // the server addresses from beside the executable.
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits() - before, 1, 10000);
        QCOMPARE(player.state(), QProcess::Running);
        QVERIFY(!QFileInfo::exists(install_->path("settings.ini")));
        player.kill();
        QVERIFY(player.waitForFinished(5000));
    }

    void closeEndsTheProgramAndReleasesTheHotkeys() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        auto form1 = start();
        form1->windows.form9->show(); // another open window does not keep it running

        QTimer::singleShot(0, form1->Close1, &QAction::trigger);
        QCOMPARE(runEventLoop(5000), 0);
        QVERIFY(!form1->isVisible());

        form1.reset();
        for (int slot = 0; slot < 4; ++slot)
            QCOMPARE(qv::atoms::find(Form1::kHotkeyAtomNames[slot]), 0);
    }

    void closingDuringATransferIsSafe() {
        install_->writeSettings({"[General]", "Reportstarts=0"});
        portal_.setFaults({"hang:/audio/list/"});
        auto form1 = start();
        qv::MessageRecorder messages;
        bool unwound = false;

        // A handler blocked in a download that never answers, and the user
        // closing the window meanwhile.
        QTimer::singleShot(0, form1.get(), [&] {
            qv::guarded([&] {
                qv::WebTransfer::download(portal_.baseUrl().c_str() +
                                              QStringLiteral("/audio/list/18/1/score"),
                                          install_->path("temp/text.txt"));
            });
            unwound = true;
            form1->Label4->setText(QStringLiteral("still here")); // the window is still alive
        });
        QTimer::singleShot(200, form1->Close1, &QAction::trigger);
        QCOMPARE(runEventLoop(10000), 0);
        portal_.setFaults({});

        QVERIFY(unwound);
        QVERIFY(messages.records.isEmpty()); // cancelled silently
        QVERIFY(!QFileInfo::exists(install_->path("temp/text.txt")));
        form1.reset();
    }
};

QTEST_MAIN(TestApp)
#include "test_app.moc"
