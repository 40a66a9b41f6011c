// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"
#include "demoportal.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "mpvplayer.h"
#include "playcontrol.h"
#include "program.h"
#include "testinstall.h"
#include "testportal.h"
#include "testprogram.h"
#include "testradio.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using qv::Form1;
using qv::MpvPlayer;
namespace cat = demo::catalogue;

// Search, play and the radio with libmpv (null audio output) against the demo
// portal, its radio on free ports that its servers.ini names.
class TestPlayMpv : public ProgramTest {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithRadio()};

    bool fetched(const std::string& number) const {
        const std::string request = "GET /audio/download/" + number + " ";
        const auto log = portal_.requestLog();
        return std::any_of(log.begin(), log.end(),
                           [&](const std::string& line) { return line.rfind(request, 0) == 0; });
    }

private slots:
    void initTestCase() {
        if (!MpvPlayer::available())
            QSKIP("libmpv cannot be loaded on this machine");
        portal_.start();
        install_ = std::make_unique<TestInstall>();
        install_->usePortal(portal_);
        install_->writeSettings({"[General]", "Reportstarts=0"});
        messages_ = std::make_unique<qv::MessageRecorder>();
        // A stalled stream is noticed after a second rather than the usual 15.
        form1_ = qv::startProgram(
            std::make_unique<MpvPlayer>(nullptr, QStringList{"ao=null", "network-timeout=1"}),
            qv::UpdateCheck::Skip);
    }

    void cleanupTestCase() { endProgram(); }

    void searchResultPlaysAndTheNextFollows() {
        form1_->ComboBox1->setEditText(QStringLiteral("Dubstep"));
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton);
        const std::vector<std::string> songs =
            cat::pageSongs(cat::kDubstepList, 1, cat::Order::Score);
        QCOMPARE(form1_->ListBox1->count(), int(songs.size()));

        // The shortest song that has another after it.
        const auto shortest =
            std::min_element(songs.begin(), songs.end() - 1, [](auto& a, auto& b) {
                return cat::songSeconds(a) < cat::songSeconds(b);
            });
        const int row = int(shortest - songs.begin());
        const std::string& next = songs[std::size_t(row) + 1];
        form1_->ListBox1->setCurrentRow(row);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);

        const int seconds = cat::songSeconds(*shortest);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label16->text(), "0:01", 2500);
        QVERIFY(fetched(*shortest));
        QCOMPARE(form1_->Label15->text(), qv::MediaPlayer::formatDuration(seconds));
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label9->text(),
                                  QString::fromStdString("Demo Song " + *shortest), 2500);

        // At the end the tick presses "Next".
        QTRY_VERIFY_WITH_TIMEOUT(fetched(next), (seconds + 3) * 1000);
        QCOMPARE(form1_->ListBox1->currentRow(), row + 1);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label16->text(), "0:01", 2500);
        QVERIFY(form1_->sGauge2->value() < 50);
        QVERIFY(messages_->records.isEmpty());
    }

    // The demo portal's songs in no list, as the search results.
    QStringList listSongs(const std::vector<std::string>& numbers) {
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        QStringList addresses;
        const QString portal = QString::fromStdString(portal_.baseUrl());
        for (const std::string& n : numbers) {
            const QString number = QString::fromStdString(n);
            qv::rows::append(*form1_->ListBox1, "Song " + number);
            form1_->ListBox2 << portal + "/listen/" + number + "/";
            addresses << portal + "/audio/download/" + number;
        }
        form1_->ListBox1->show();
        form1_->sListBox1->hide();
        form1_->ListBox1->setCurrentRow(0);
        return addresses;
    }

    // Songs whose ends fall between two ticks: each goes on to the next while
    // the player's report of its end is handled, not at a tick after it.
    void songsGoOnAsTheyEnd() {
        const QStringList songs = listSongs(
            {cat::timedSongNumber(2300), cat::timedSongNumber(2750), cat::timedSongNumber(3150)});
        qv::MediaPlayer* const player = form1_->WindowsMediaPlayer1;
        // Connected after the window's own handler: the player's state once
        // the window has handled each report.
        QStringList seen;
        const auto watch = connect(player, &qv::MediaPlayer::StatusChange, this, [&] {
            seen << player->status() + " " + player->url().section('/', -1);
        });
        const auto unwatch = qScopeGuard([&] { disconnect(watch); });
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(player->url(), songs[2], 10000);
        QTRY_COMPARE_WITH_TIMEOUT(player->status(), "Playing", 2000);
        QCOMPARE(form1_->ListBox1->currentRow(), 2);
        const QString second = songs[1].section('/', -1), third = songs[2].section('/', -1);
        QVERIFY2(!seen.join('|').contains("Media ended"), qPrintable(seen.join(" | ")));
        QVERIFY2(seen.contains("Opening... " + second) && seen.contains("Opening... " + third),
                 qPrintable(seen.join(" | ")));
        QVERIFY(messages_->records.isEmpty());
    }

    // A song of 101 minutes: its length reads, and from near its end the
    // next one follows.
    void longSongPlaysToItsEnd() {
        const QStringList songs =
            listSongs({cat::longSongNumber(6060), cat::timedSongNumber(2000)});
        qv::MediaPlayer* const player = form1_->WindowsMediaPlayer1;
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(player->duration(), 6060.0, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label15->text(), "101:00", 2500);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label16->text(), "0:01", 2500);
        form1_->seekToSeconds(6058);
        QTRY_VERIFY_WITH_TIMEOUT(player->currentPosition() > 6058, 3000);
        QCOMPARE(form1_->sGauge2->value(), 100);
        QTRY_COMPARE_WITH_TIMEOUT(player->url(), songs[1], 5000);
        QCOMPARE(form1_->ListBox1->currentRow(), 1);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label15->text(), "00:02", 2500);
        QVERIFY(fetched(cat::timedSongNumber(2000)));
        QVERIFY(messages_->records.isEmpty());
    }

    // The demo's stream breaks off and is refused twice; the third reopening
    // plays again.
    void radioReconnectsAfterACut() {
        const auto radioRequests = [this](const std::string& status) {
            const auto log = portal_.requestLog();
            return std::count(log.begin(), log.end(), "GET / " + status);
        };
        form1_->reconnectPauseMs = 100;
        form1_->CableDSLT11Click();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->name(), "Vellwave - Demo Track 1",
                                  5000);

        portal_.setFaults({"radiocut"});
        // The player plays what it holds (about 2 s) before it notices.
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label9->text(), "Reconnecting...", 15000);
        QTRY_COMPARE_WITH_TIMEOUT(radioRequests("503"), 2, 5000);
        portal_.setFaults({});
        QTRY_COMPARE_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->name(), "Vellwave - Demo Track 1",
                                  5000);
        QCOMPARE(form1_->WindowsMediaPlayer1->playState(), qv::MediaPlayer::PlayState::Playing);
        QVERIFY(form1_->Label9->text() != "Reconnecting...");
        QCOMPARE(radioRequests("503"), 2);
        QVERIFY(messages_->records.isEmpty());
    }

    // A stream that stays open and silent: after what was buffered, five
    // reopenings that stall as well, then the player's error text.
    void radioStallGivesUpAfterFiveReopenings() {
        form1_->reconnectPauseMs = 100;
        form1_->CableDSLT11Click();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->name(), "Vellwave - Demo Track 1",
                                  5000);
        // The now-playing line has no signal: every change is caught by polling.
        int reconnecting = 0;
        QString shown;
        QTimer watch;
        connect(&watch, &QTimer::timeout, this, [&] {
            if (form1_->Label9->text() != shown)
                reconnecting += (shown = form1_->Label9->text()) == "Reconnecting...";
        });
        watch.start(5);
        portal_.setFaults({"stall"});
        QTRY_VERIFY_WITH_TIMEOUT(shown.startsWith("Error"), 40000);
        QCOMPARE(reconnecting, 5);
        QCOMPARE(form1_->WindowsMediaPlayer1->playState(), qv::MediaPlayer::PlayState::Stopped);
        const std::size_t requests = portal_.requestLog().size();
        QVERIFY(!pauseRunning(*form1_)); // nothing left that would reopen it
        QCOMPARE(portal_.requestLog().size(), requests);
        portal_.setFaults({});
        QVERIFY(messages_->records.isEmpty());
    }

    // The now-playing line shows the stream's titles as they change, when the
    // radio is the first thing played and when it follows a song.
    void radioLineFollowsTheStreamTitle() {
        demo::Options options = portalWithRadio();
        options.radioTrackSeconds = 2;
        demo::Portal radio(options);
        radio.start();
        install_->usePortal(radio);
        const auto restore = qScopeGuard([this] { install_->usePortal(portal_); });
        // A program that has played nothing yet.
        form1_.reset();
        form1_ = qv::startProgram(
            std::make_unique<MpvPlayer>(nullptr, QStringList{"ao=null", "network-timeout=1"}),
            qv::UpdateCheck::Skip);
        qv::MediaPlayer* const player = form1_->WindowsMediaPlayer1;
        QStringList lines; // the line as each new title has been handled
        connect(player, &qv::MediaPlayer::MediaChange, this,
                [&] { lines << form1_->Label9->text() + " / " + player->name(); });
        const auto followsTwoChanges = [&] {
            lines.clear();
            // The first title within the two-second refresh after it plays.
            QTRY_COMPARE_WITH_TIMEOUT(player->status(), "Playing", 5000);
            QTRY_VERIFY_WITH_TIMEOUT(form1_->Label9->text().startsWith("Vellwave - Demo Track "),
                                     2500);
            QCOMPARE(form1_->Label9->text(), player->name());
            // The next ones at once (the first after the stream's head start of 2.25 s).
            QTRY_VERIFY_WITH_TIMEOUT(lines.size() >= 2, 15000);
            for (const QString& line : std::as_const(lines)) {
                const QStringList both = line.split(" / ");
                QVERIFY2(both[0] == both[1] && both[0].startsWith("Vellwave - Demo Track "),
                         qPrintable(line));
            }
            QVERIFY(lines[0] != lines[1]);
        };

        form1_->CableDSLT11Click();
        followsTwoChanges();

        form1_->ComboBox1->setEditText(QStringLiteral("Dubstep"));
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton);
        form1_->ListBox1->setCurrentRow(0);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label16->text(), "0:01", 2500);
        form1_->DialUp1Click();
        QCOMPARE(player->url(), QString::fromStdString(radio.radioUrl(1)));
        followsTwoChanges();
        QVERIFY(messages_->records.isEmpty());
    }

    void radioPlaysWithoutLengthAndNeverGoesOn() {
        form1_->CableDSLT11Click();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label9->text(), "Vellwave - Demo Track 1", 5000);
        QCOMPARE(form1_->WindowsMediaPlayer1->url(), QString::fromStdString(portal_.radioUrl(0)));
        QCOMPARE(form1_->WindowsMediaPlayer1->duration(), 0.0);

        // The stream breaks off: the player stops, and still no song follows.
        const std::size_t requests = portal_.requestLog().size();
        portal_.stop();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->playState(),
                                  qv::MediaPlayer::PlayState::Stopped,
                                  12000); // after the buffered seconds
        QSignalSpy ticks(form1_->Timer2, &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 2, 5000);
        QVERIFY(form1_->Timer2->isActive());
        QCOMPARE(form1_->Label15->text(), QString());
        QCOMPARE(form1_->WindowsMediaPlayer1->url(), QString::fromStdString(portal_.radioUrl(0)));
        QCOMPARE(portal_.requestLog().size(), requests);
        QVERIFY(messages_->records.isEmpty());
    }
};

QTEST_MAIN(TestPlayMpv)
#include "test_plaympv.moc"
