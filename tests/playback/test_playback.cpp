// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "playcontrol.h"
#include "program.h"
#include "servers.h"
#include "shell.h"
#include "testinstall.h"
#include "testprogram.h"
#include "testradio.h"

#include <QCheckBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <cstdlib>
#include <optional>

using qv::FakeMediaPlayer;
using PlayState = qv::MediaPlayer::PlayState;
using Stop = qv::MediaPlayer::Stop;
using qv::Form1;
namespace pb = qv::playback;

namespace {

const QString kSearchFirst = QStringLiteral("Please select a genre and click search first");

QString download(const QString& number) {
    return pb::downloadAddress(qv::Servers::current().portal, number);
}

// Presses, drags and releases as the window system delivers them to a bar.
void mouse(QWidget* bar, QEvent::Type type, QPoint at) {
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, bar->mapToGlobal(at),
                      type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(bar, &event);
}

} // namespace

class TestPlayback : public ProgramTest {
    Q_OBJECT

private:
    FakeMediaPlayer* player_ = nullptr;
    std::optional<OpenRecorder> opener_;

    // Rows and links of the search results, own playlist or favourites.
    void fill(QListWidget* titles, QStringList& links, int count) {
        titles->clear();
        links.clear();
        for (int i = 0; i < count; ++i) {
            qv::rows::append(*titles, QStringLiteral("Song %1").arg(i));
            links << songLink(i + 1);
        }
    }
    void fillResults(int count) { fill(form1_->ListBox1, form1_->ListBox2, count); }

    int selected(const QListWidget* list = nullptr) const {
        return qv::rows::selected(list ? *list : *form1_->ListBox1);
    }
    bool pauseShown() const {
        return !form1_->sBitBtn4->isHidden() && form1_->sBitBtn11->isHidden();
    }
    bool resumeShown() const {
        return form1_->sBitBtn4->isHidden() && !form1_->sBitBtn11->isHidden();
    }
    void click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }
    // n ticks of the position timer, as it would deliver them.
    void ticks(int n) {
        for (int i = 0; i < n; ++i)
            form1_->Timer2Timer();
    }

private slots:
    void init() {
        install_ = quietInstall();
        messages_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer(&player_);
        player_->volumeRequests.clear();
        opener_.emplace();
    }

    void cleanup() {
        opener_.reset();
        endProgram();
    }

    void songNumbersAndAddresses() {
        QCOMPARE(pb::songNumber(QStringLiteral("http://p/listen/0180017/")), "0180017");
        QCOMPARE(pb::songNumber(QStringLiteral("/listen/0180010/")), "0180010");
        // A short number runs on into the rest of the link, up to 7 characters.
        QCOMPARE(pb::songNumber(QStringLiteral("http://p/listen/123/x.html")), "123/x.h");
        QCOMPARE(pb::songNumber(QStringLiteral("http://p/listen/12")), "12");
        // Only the first mark counts.
        QCOMPARE(pb::songNumber(QStringLiteral("/listen//listen/7")), "/listen");
        // Without the mark: the link's 8th to 14th characters.
        QCOMPARE(pb::songNumber(QStringLiteral("http://www.quorvell.example/")), "www.quo");
        QCOMPARE(pb::songNumber(QStringLiteral("short")), QString());
        QCOMPARE(pb::downloadAddress(QStringLiteral("http://p"), QStringLiteral("0180017")),
                 "http://p/audio/download/0180017");
    }

    void tickAndBarArithmetic() {
        QVERIFY(pb::lengthReadable(QStringLiteral("03:45")));
        QVERIFY(pb::lengthReadable(QStringLiteral("00:00")));
        for (const char* bad : {"", "3:45", "ab:cd", "03", "03:", "1x0:00", "100:", "100:ab"})
            QVERIFY2(!pb::lengthReadable(QLatin1String(bad)), bad);
        // Long mixes: the length reads, and the elapsed time counts on past 99 minutes.
        for (const auto& [seconds, text] : {std::pair{3599, "59:59"},
                                            {3600, "60:00"},
                                            {5999, "99:59"},
                                            {6000, "100:00"},
                                            {36000, "600:00"}}) {
            QCOMPARE(qv::MediaPlayer::formatDuration(seconds), QString(text));
            QVERIFY2(pb::lengthReadable(QLatin1String(text)), text);
            QCOMPARE(pb::elapsedText(seconds / 60, seconds % 60), QString(text));
        }

        QCOMPARE(pb::positionPercent(25, 200), 12); // 12.5: halves go to the even side
        QCOMPARE(pb::positionPercent(27, 200), 14); // 13.5
        QCOMPARE(pb::positionPercent(5, 0), std::nullopt);
        QCOMPARE(pb::positionPercent(std::nan(""), 10), std::nullopt);
        // The seek, volume and elapsed-time arithmetic is shown through the
        // handlers below.

        // Every index comes up about equally often, and none outside the list.
        for (const int count : {2, 3, 7}) {
            const int draws = 1000 * count;
            QList<int> seen(count, 0);
            for (int i = 0; i < draws; ++i) {
                const int r = pb::randomIndex(count);
                QVERIFY2(r >= 0 && r < count, qPrintable(QString::number(r)));
                ++seen[r];
            }
            // 1000 expected, with a spread of about 30: 250 off is no chance.
            for (int index = 0; index < count; ++index)
                QVERIFY2(
                    std::abs(seen[index] - 1000) < 250,
                    qPrintable(
                        QStringLiteral("%1 of %2: %3").arg(index).arg(count).arg(seen[index])));
        }
        QCOMPARE(pb::randomIndex(1), 0);
        QCOMPARE(pb::randomIndex(0), 0);
    }

    void pauseAndResumeToggle() {
        // Before anything was opened Pause is refused.
        click(form1_->sBitBtn4);
        QCOMPARE(messages_->texts(), QStringList{"Please play a song first"});
        QVERIFY(pauseShown());
        QCOMPARE(player_->pauseCalls, 0);

        fillResults(2);
        click(form1_->sBitBtn3);
        player_->takeUp();
        QVERIFY(pauseShown());
        QVERIFY(form1_->Timer2->isActive());

        click(form1_->sBitBtn4);
        QVERIFY(resumeShown());
        QVERIFY(!form1_->Timer2->isActive());
        QCOMPARE(player_->pauseCalls, 1);

        // The radio while paused: the stream plays, "Resume" stays.
        form1_->CableDSLT11Click();
        QCOMPARE(player_->url(), qv::Servers::current().radio + ":6870/");
        QVERIFY(resumeShown());
        click(form1_->sBitBtn11);
        QVERIFY(pauseShown());
        QVERIFY(form1_->Timer2->isActive());
        QCOMPARE(player_->playCalls, 1);

        // After the player has stopped, Pause still pauses and switches.
        player_->setPlayState(PlayState::Stopped);
        click(form1_->sBitBtn4);
        QVERIFY(resumeShown());
        QCOMPARE(player_->pauseCalls, 2);

        // A failing player call leaves the buttons as they were.
        player_->failNextCall(QStringLiteral("engine gone"));
        click(form1_->sBitBtn11);
        QVERIFY(resumeShown());
        QCOMPARE(messages_->records.last().text, QStringLiteral("engine gone"));
        QCOMPARE(messages_->records.size(), 2);
    }

    void playTakesTheSelectedOrFirstEntry() {
        // An empty list: its message; the tick was started by the first step.
        click(form1_->sBitBtn3);
        QCOMPARE(messages_->texts(), QStringList{kSearchFirst});
        QVERIFY(form1_->Timer2->isActive());
        QVERIFY(!form1_->Timer1->isActive());
        QVERIFY(player_->urls.isEmpty());

        fillResults(3);
        form1_->Timer2->stop();
        form1_->SpinEdit4 = 0;
        form1_->sGauge2->setValue(40);
        player_->setDuration(125);
        click(form1_->sBitBtn3);
        QCOMPARE(selected(), 0);
        QCOMPARE(player_->urls, QStringList{download("0000001")});
        QCOMPARE(form1_->Edit2, songLink(1));
        QVERIFY(form1_->Timer1->isActive());
        QVERIFY(!form1_->Timer2->isActive()); // until the player takes up the address
        QCOMPARE(form1_->SpinEdit4, 1);
        QCOMPARE(form1_->sGauge2->value(), 0);
        QCOMPARE(form1_->Label15->text(), "02:05");
        QCOMPARE(form1_->Edit3, "02:05");
        player_->takeUp();
        QVERIFY(form1_->Timer2->isActive());

        // A double-click plays the row under it.
        const QListWidgetItem* third = form1_->ListBox1->item(2);
        const QPoint at = form1_->ListBox1->visualItemRect(third).center();
        QTest::mouseClick(form1_->ListBox1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form1_->ListBox1->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(player_->url(), download("0000003"));

        // Status changes and the two-second refresh write the now-playing line.
        player_->setStatus(QStringLiteral("Buffering..."));
        QCOMPARE(form1_->Label9->text(), "Buffering...");
        player_->setName(QStringLiteral("<b>Demo</b> Song"));
        form1_->Timer1Timer();
        QCOMPARE(form1_->Label9->text(), "<b>Demo</b> Song");
        QCOMPARE(form1_->Label9->textFormat(), Qt::PlainText);
        QCOMPARE(messages_->records.size(), 1);
    }

    void noCommandRunsUnderAnotherOnesMessage() {
        // A sink that presses play commands while its box would be open, as a
        // tick or a hotkey can while a modal box runs its own event loop.
        struct Reentrant : qv::MessageSink {
            Form1* form1;
            QStringList texts;
            void show(const qv::MessageRecord& m) override {
                texts << m.text;
                form1->sBitBtn1Click();
                form1->sBitBtn3Click();
                form1->sBitBtn4Click();
            }
            bool ask(const qv::MessageRecord&) override { return false; }
        } sink;
        sink.form1 = form1_.get();
        qv::MessageSink* const previous = qv::messages::setSink(&sink);
        form1_->sBitBtn3Click();
        form1_->sBitBtn4Click();
        qv::messages::setSink(previous);
        QCOMPARE(sink.texts, (QStringList{kSearchFirst, "Please play a song first"}));
    }

    void nextAndPreviousStepThroughTheShownList() {
        fillResults(3);
        form1_->ListBox1->setCurrentRow(1);
        click(form1_->sBitBtn1);
        QCOMPARE(selected(), 2);
        click(form1_->sBitBtn1); // past the last entry: wraps to the first
        QCOMPARE(selected(), 0);
        QCOMPARE(player_->url(), download("0000001"));
        click(form1_->sBitBtn2); // before the first: the first again
        QCOMPARE(selected(), 0);
        click(form1_->sBitBtn2);
        QCOMPARE(player_->urls, (QStringList{download("0000003"), download("0000001"),
                                             download("0000001"), download("0000001")}));
        QVERIFY(pauseShown());

        // Random on one entry plays it on every step; on none, the message.
        form1_->sCheckBox1->setChecked(true);
        fillResults(1);
        click(form1_->sBitBtn1);
        click(form1_->sBitBtn2);
        QCOMPARE(player_->urls.mid(4), (QStringList{download("0000001"), download("0000001")}));
        fillResults(0);
        click(form1_->sBitBtn1);
        QCOMPARE(messages_->texts(), QStringList{kSearchFirst});

        // The shown list follows the lists' own visibility, also while the
        // window is hidden in the tray.
        fill(form1_->sListBox1, form1_->ListBox3, 2);
        fill(form1_->sListBox2, form1_->ListBox4, 2);
        form1_->sCheckBox1->setChecked(false);
        form1_->hide();
        form1_->ListBox1->hide();
        form1_->sListBox1->show();
        form1_->sListBox1->setCurrentRow(0);
        click(form1_->sBitBtn1);
        QCOMPARE(selected(form1_->sListBox1), 1);
        QCOMPARE(form1_->shownList().links, &form1_->ListBox3);
        form1_->sListBox1->hide();
        QCOMPARE(form1_->shownList().kind, Form1::ListKind::Favourites);
        form1_->sListBox2->clear();
        form1_->sBitBtn3Click();
        QCOMPARE(messages_->texts().last(), "Please select a song first");
    }

    void tickCountsAndCarries() {
        fillResults(2);
        click(form1_->sBitBtn3);
        player_->takeUp();
        form1_->Label16->setText(QStringLiteral("9:99"));

        // The length is not known yet: the counter runs, the label waits.
        ticks(3);
        QCOMPARE(form1_->SpinEdit4, 0);
        QCOMPARE(form1_->SpinEdit8, 3);
        QCOMPARE(form1_->Label16->text(), "9:99");
        QCOMPARE(form1_->Label15->text(), QString());

        // Once it is known the label jumps to the counted time.
        player_->setDuration(200);
        player_->setPosition(25);
        ticks(1);
        QCOMPARE(form1_->Label15->text(), "03:20");
        QCOMPARE(form1_->Label16->text(), "0:04");
        QCOMPARE(form1_->sGauge2->value(), 12);

        // Pausing stops the tick; the counters keep their values.
        click(form1_->sBitBtn4);
        QVERIFY(!form1_->Timer2->isActive());
        click(form1_->sBitBtn11);
        ticks(55);
        QCOMPARE(form1_->Label16->text(), "0:59");
        ticks(1);
        QCOMPARE(form1_->Label16->text(), "1:00");
        QCOMPARE(form1_->SpinEdit9, 1);

        // Ticks that end early can carry the counter past 60: no carry then.
        form1_->SpinEdit8 = 59;
        player_->setDuration(0);
        ticks(1);
        player_->setDuration(200);
        ticks(1);
        QCOMPARE(form1_->Label16->text(), "1:61");
        QCOMPARE(player_->urls.size(), 1);
    }

    void endOfSongGoesOnOrStops() {
        fillResults(2);
        click(form1_->sBitBtn3);
        player_->takeUp();
        player_->setDuration(3);
        player_->setPosition(3);
        player_->setPlayState(PlayState::Stopped);
        ticks(1);
        QCOMPARE(player_->url(), download("0000002"));
        QCOMPARE(selected(), 1);
        QVERIFY(!form1_->Timer2->isActive());
        player_->takeUp();
        ticks(1);
        QCOMPARE(form1_->Label16->text(), "0:01"); // the new song counts from its start

        // Songs that fail one after another: once every entry has failed the
        // tick stops rather than going round the list for ever.
        const qsizetype started = player_->urls.size();
        for (int i = 0; i < 2; ++i) {
            player_->stop(Stop::Failed,
                          QStringLiteral("Error: audio output initialization failed"));
            form1_->Timer2->start();
            ticks(1);
        }
        QCOMPARE(player_->urls.size(), started + 1);
        QVERIFY(!form1_->Timer2->isActive());

        // A stream without a length never goes on.
        form1_->CableDSLT11Click();
        player_->setDuration(0);
        player_->setPlayState(PlayState::Stopped);
        ticks(3);
        QCOMPARE(player_->urls.size(), started + 2);

        // With nothing to go on to the tick stops instead of a message a second.
        player_->setDuration(3);
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        form1_->Timer2->start();
        ticks(3);
        QVERIFY(!form1_->Timer2->isActive());
        QVERIFY(messages_->records.isEmpty());
    }

    // The player's report that a song has ended runs the tick's last step at
    // once; everything else still waits for the tick.
    void songEndGoesOnAtOnce() {
        fillResults(3);
        click(form1_->sBitBtn3);
        player_->takeUp();
        player_->setDuration(2.5);
        const auto end = [this](Stop reason, const char* status) {
            player_->setPosition(player_->duration());
            player_->stop(reason, QLatin1String(status));
        };
        // The player's word counts, not its status text.
        end(Stop::Ended, "Stopped");
        QCOMPARE(player_->urls.last(), download("0000002")); // no tick ran
        QCOMPARE(selected(), 1);
        QVERIFY(pauseShown());

        // A song that failed goes on at the tick, once a second.
        player_->takeUp();
        end(Stop::Failed, "Media ended");
        QCOMPARE(player_->urls.size(), 2);
        ticks(1);
        QCOMPARE(player_->urls.last(), download("0000003"));

        // While the length is unknown, the tick would not go on either.
        player_->takeUp();
        player_->setDuration(0);
        end(Stop::Ended, "Media ended");
        QCOMPARE(player_->urls.size(), 3);

        // With the tick stopped (paused) nothing follows.
        player_->setDuration(2.5);
        player_->setPlayState(PlayState::Playing);
        player_->setStatus(QStringLiteral("Playing"));
        click(form1_->sBitBtn4);
        end(Stop::Ended, "Media ended");
        QCOMPARE(player_->urls.size(), 3);

        // The radio has no length: its end is no song's end.
        form1_->CableDSLT11Click();
        player_->takeUp();
        player_->setDuration(0);
        end(Stop::Ended, "Media ended");
        QCOMPARE(player_->urls.size(), 4);
        QCOMPARE(player_->url(), qv::Servers::current().radio + ":6870/");

        // With nothing left to go on to the tick stops, without a message.
        fillResults(1);
        click(form1_->sBitBtn3);
        player_->takeUp();
        player_->setDuration(2.5);
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        end(Stop::Ended, "Media ended");
        QVERIFY(!form1_->Timer2->isActive());
        QCOMPARE(player_->urls.size(), 5);
        QVERIFY(messages_->records.isEmpty());
    }

    void seekAndVolume() {
        QProgressBar* position = form1_->sGauge2;
        QProgressBar* volume = form1_->sGauge1;
        QCOMPARE(position->size(), QSize(161, 17));
        QCOMPARE(volume->size(), QSize(22, 82));

        // Before anything was played a press does nothing.
        mouse(position, QEvent::MouseButtonPress, {80, 5});
        QVERIFY(!form1_->positionDrag);
        QVERIFY(player_->positionRequests.isEmpty());

        fillResults(1);
        click(form1_->sBitBtn3);
        player_->setDuration(200);
        mouse(position, QEvent::MouseButtonPress, {80, 5});
        QVERIFY(form1_->positionDrag);
        QCOMPARE(position->value(), 49);
        mouse(position, QEvent::MouseMove, {-20, 5}); // dragged beyond the left end
        QCOMPARE(position->value(), 0);
        mouse(position, QEvent::MouseMove, {200, 5});
        QCOMPARE(position->value(), 100);
        mouse(position, QEvent::MouseButtonRelease, {200, 5});
        QVERIFY(!form1_->positionDrag);
        mouse(position, QEvent::MouseMove, {10, 5});
        QCOMPARE(player_->positionRequests, (QList<double>{98, -24, 248}));

        mouse(volume, QEvent::MouseButtonPress, {5, 41});
        QCOMPARE(volume->value(), 50);
        mouse(volume, QEvent::MouseMove, {5, -10});
        QCOMPARE(volume->value(), 100);
        mouse(volume, QEvent::MouseMove, {5, 90});
        QCOMPARE(volume->value(), 0);
        mouse(volume, QEvent::MouseButtonRelease, {5, 90});
        mouse(volume, QEvent::MouseMove, {5, 0});
        QCOMPARE(player_->volumeRequests, (QList<int>{50, 112, -9}));
        QCOMPARE(player_->volume(), 0);

        // The buttons move bar and player each from its own value.
        player_->volumeRequests.clear();
        player_->setVolume(100);
        volume->setValue(100);
        click(form1_->sBitBtn6);
        QCOMPARE(volume->value(), 100);
        player_->setVolume(0);
        volume->setValue(30);
        click(form1_->sBitBtn7);
        QCOMPARE(volume->value(), 20);
        QCOMPARE(player_->volumeRequests, (QList<int>{100, 110, 0, -10}));
        QVERIFY(messages_->records.isEmpty());
    }

    void checkOutAndDownload() {
        click(form1_->sBitBtn9);
        click(form1_->sBitBtn8);
        form1_->ListBox1->hide();
        form1_->sListBox1->show();
        form1_->CheckoutonQuorvell1Click();
        form1_->Download1Click();
        form1_->sListBox1->hide();
        form1_->DownloadSong1Click();
        QCOMPARE(
            messages_->texts(),
            (QStringList{"Please selece genre and click search first",
                         "Please selece genre and click search first", "Please selece a song first",
                         "Please select a song, first", "Please select a song, first"}));
        QVERIFY(opener_->opened.isEmpty());

        // Nothing selected: the first entry, as Play would take it.
        fill(form1_->sListBox2, form1_->ListBox4, 2);
        form1_->ListBox4[0] = QStringLiteral("/listen/0180010/");
        click(form1_->sBitBtn9);
        click(form1_->sBitBtn8);
        form1_->sListBox2->setCurrentRow(1);
        click(form1_->sBitBtn8);
        click(form1_->sBitBtn3); // Play gives the player the same address
        const QString portal = qv::Servers::current().portal;
        QCOMPARE(opener_->opened, (QStringList{portal + "/listen/0180010/", download("0180010"),
                                               download("0000002")}));
        QCOMPARE(player_->url(), download("0000002"));
        // Only web addresses leave the program.
        form1_->ListBox4[1] = QStringLiteral("file:///etc/passwd");
        click(form1_->sBitBtn9);
        QCOMPARE(opener_->opened.size(), 3);

        form1_->DialUp1Click();
        QCOMPARE(player_->url(), qv::Servers::current().radio + ":6872/");
        QCOMPARE(messages_->records.size(), 5);

        // The radio's ports come from servers.ini.
        writeAll(
            install_->path("servers.ini"),
            "[Servers]\r\nRadio=http://127.0.0.9\r\nRadioPort=7100\r\nRadioDialUpPort=7102\r\n");
        qv::Servers::setCurrent(qv::Servers::load(install_->path("servers.ini")));
        form1_->CableDSLT11Click();
        QCOMPARE(player_->url(), "http://127.0.0.9:7100/");
        form1_->DialUp1Click();
        QCOMPARE(player_->url(), "http://127.0.0.9:7102/");
    }

    // The scripted player reports the broken stream; pauses are 10 ms long.
    void radioReconnectsUntilItGivesUp() {
        form1_->reconnectPauseMs = 10;
        const QString radio = qv::Servers::current().radio + ":6870/";
        const auto breakOff = [this] {
            player_->stop(Stop::Failed, QStringLiteral("Error: connection refused"));
        };
        form1_->CableDSLT11Click();
        breakOff();
        QCOMPARE(form1_->Label9->text(), "Reconnecting...");
        form1_->Timer1Timer(); // the now-playing line keeps saying so
        QCOMPARE(form1_->Label9->text(), "Reconnecting...");
        for (int attempt = 2; attempt <= 1 + Form1::kReconnectAttempts; ++attempt) {
            QTRY_COMPARE_WITH_TIMEOUT(player_->urls.size(), attempt, 2000);
            QCOMPARE(player_->urls.last(), radio);
            player_->setStatus(QStringLiteral("Opening..."));
            breakOff();
        }
        QCOMPARE(form1_->Label9->text(), "Error: connection refused");
        QVERIFY(!pauseRunning(*form1_)); // nothing left that would reopen it
        QCOMPARE(player_->urls.size(), 1 + Form1::kReconnectAttempts);

        // A stream that breaks off while reconnecting is not reopened once
        // a song has taken its place, nor after "Pause".
        form1_->CableDSLT11Click();
        breakOff();
        fillResults(2);
        click(form1_->sBitBtn3);
        QCOMPARE(player_->urls.last(), download("0000001"));
        form1_->DialUp1Click();
        player_->setStatus(QStringLiteral("Playing"));
        click(form1_->sBitBtn4);
        breakOff();
        // A song that fails is not reopened either.
        click(form1_->sBitBtn11);
        click(form1_->sBitBtn3);
        breakOff();
        const int urls = player_->urls.size();
        QVERIFY(!pauseRunning(*form1_));
        QCOMPARE(player_->urls.size(), urls);
        QCOMPARE(form1_->Label9->text(), "Error: connection refused");
        QVERIFY(messages_->records.isEmpty());
    }

    void radioLineFollowsTheStreamTitle() {
        // The radio before any song: the line follows the titles from the start.
        form1_->CableDSLT11Click();
        QVERIFY(form1_->Timer1->isActive());
        player_->takeUp();
        player_->setStatus(QStringLiteral("Playing"));
        QCOMPARE(form1_->Label9->text(), "Playing");
        player_->setName(QStringLiteral("Vellwave - Track 1"));
        QCOMPARE(form1_->Label9->text(), "Vellwave - Track 1"); // at once, not at the next refresh
        player_->setStatus(QStringLiteral("Buffering..."));
        QCOMPARE(form1_->Label9->text(), "Buffering...");
        form1_->Timer1Timer();
        QCOMPARE(form1_->Label9->text(), "Vellwave - Track 1");
        player_->setName(QStringLiteral("Vellwave - Track 2"));
        QCOMPARE(form1_->Label9->text(), "Vellwave - Track 2");

        // While the stream is being reopened the line says so.
        form1_->reconnectPauseMs = 60000;
        player_->stop(Stop::Failed, QStringLiteral("Error: connection reset"));
        QCOMPARE(form1_->Label9->text(), "Reconnecting...");
        player_->setName(QStringLiteral("Vellwave - Track 3"));
        form1_->Timer1Timer();
        QCOMPARE(form1_->Label9->text(), "Reconnecting...");

        // A song keeps the status text until the two-second refresh.
        fillResults(1);
        click(form1_->sBitBtn3);
        player_->takeUp();
        player_->setStatus(QStringLiteral("Playing"));
        player_->setName(QStringLiteral("Demo Song"));
        QCOMPARE(form1_->Label9->text(), "Playing");
        form1_->Timer1Timer();
        QCOMPARE(form1_->Label9->text(), "Demo Song");

        // The radio after a song, paused and continued: the titles follow again.
        form1_->DialUp1Click();
        click(form1_->sBitBtn4);
        click(form1_->sBitBtn11);
        player_->setName(QStringLiteral("Vellwave - Track 4"));
        QCOMPARE(form1_->Label9->text(), "Vellwave - Track 4");
        QVERIFY(messages_->records.isEmpty());
    }

    void enterPlaysTheSelectedRow() {
        fillResults(3);
        QTest::keyClick(form1_->ListBox1, Qt::Key_Return); // no row selected: nothing
        QVERIFY(player_->urls.isEmpty());
        form1_->ListBox1->setCurrentRow(2);
        QTest::keyClick(form1_->ListBox1, Qt::Key_Delete); // results are not edited
        QCOMPARE(form1_->ListBox1->count(), 3);
        QTest::keyClick(form1_->ListBox1, Qt::Key_Return);
        QCOMPARE(player_->urls, QStringList{download("0000003")});

        fill(form1_->sListBox2, form1_->ListBox4, 2);
        form1_->sButton3->click(); // favourites shown, from the lists as they are
        form1_->sListBox2->setCurrentRow(1);
        QTest::keyClick(form1_->sListBox2, Qt::Key_Enter, Qt::KeypadModifier);
        QCOMPARE(player_->urls.last(), download("0000002"));
        QVERIFY(messages_->records.isEmpty());
    }
};

QTEST_MAIN(TestPlayback)
#include "test_playback.moc"
