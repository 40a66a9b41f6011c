// SPDX-License-Identifier: GPL-3.0-or-later
// The media player: the libmpv player against the local demo portal (headless,
// ao=null), the length format, and the scripted fake the handler tests use.
#include "catalogue.h"
#include "demoportal.h"
#include "error.h"
#include "fakemediaplayer.h"
#include "mpvplayer.h"
#include "testportal.h"

#include <QElapsedTimer>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using namespace qv;
using PlayState = MediaPlayer::PlayState;
using Stop = MediaPlayer::Stop;

namespace {

constexpr int kList = 1;

QString songNumber(int index) {
    return QString::fromStdString(demo::catalogue::songNumber(kList, index));
}

QString songTitle(int index) {
    return QStringLiteral("Demo Song ") + songNumber(index);
}

#define REQUIRE_LIBMPV()                                                                           \
    if (!MpvPlayer::available())                                                                   \
    QSKIP("libmpv cannot be loaded on this machine")

// Collects StatusChange texts, each of which should be a change.
class StatusLog : public QObject {
public:
    explicit StatusLog(MediaPlayer& player) {
        connect(&player, &MediaPlayer::StatusChange, this,
                [this, &player] { texts.append(player.status()); });
    }
    bool allChanges() const {
        for (qsizetype i = 1; i < texts.size(); ++i) {
            if (texts[i] == texts[i - 1])
                return false;
        }
        return true;
    }
    QStringList texts;
};

} // namespace

class TestMpvPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();

    void formatsDurations_data();
    void formatsDurations();
    void fakeRecordsRequestsAndFails();

    void nothingOpenedYet();
    void playsPausesSeeksAndSetsVolume();
    void songEndsStopped();
    void nextAddressIsHandedOverWithoutWaiting();
    void unreachableAddressFails_data();
    void unreachableAddressFails();
    void newAddressReplacesCurrentOne();
    void playlistAddressSkipsFailedEntries();
    void radioStreamHasNoLength();
    void endlessStreamKeepsNothingPlayed();
    void radioTitleFollowsTheStream();
    void destroyedWhilePlaying();
    void rejectedOptionThrows();

private:
    QString songUrl(int index) const {
        return QString::fromStdString(portal_->baseUrl()) + "/audio/download/" + songNumber(index);
    }

    std::unique_ptr<demo::Portal> portal_;
};

void TestMpvPlayer::initTestCase() {
    portal_ = std::make_unique<demo::Portal>(portalWithRadio());
    portal_->start();
    QCOMPARE(demo::catalogue::songSeconds(songNumber(1).toStdString()), 3);
    QCOMPARE(demo::catalogue::songSeconds(songNumber(58).toStdString()), 60);
}

void TestMpvPlayer::formatsDurations_data() {
    QTest::addColumn<double>("seconds");
    QTest::addColumn<QString>("text");
    QTest::newRow("zero") << 0.0 << "";
    QTest::newRow("negative") << -3.0 << "";
    QTest::newRow("not a number") << std::nan("") << "";
    QTest::newRow("infinite") << std::numeric_limits<double>::infinity() << "";
    QTest::newRow("under a second") << 0.4 << "00:00";
    QTest::newRow("rounded down") << 59.99 << "00:59";
    QTest::newRow("a minute") << 60.0 << "01:00";
    QTest::newRow("longest two-digit") << 5999.0 << "99:59";
    QTest::newRow("three-digit minutes") << 6000.5 << "100:00";
}

void TestMpvPlayer::formatsDurations() {
    QFETCH(double, seconds);
    QFETCH(QString, text);
    QCOMPARE(MediaPlayer::formatDuration(seconds), text);
}

void TestMpvPlayer::fakeRecordsRequestsAndFails() {
    FakeMediaPlayer fake;
    QSignalSpy statusChanges(&fake, &MediaPlayer::StatusChange);
    QCOMPARE(fake.playState(), PlayState::Undefined);

    fake.setUrl("http://a/1");
    QCOMPARE(fake.urls, QStringList{"http://a/1"});
    QCOMPARE(fake.url(), "http://a/1");
    QCOMPARE(fake.playState(), PlayState::Playing);
    QCOMPARE(fake.status(), "Opening...");
    QCOMPARE(statusChanges.count(), 1);

    fake.pause();
    QCOMPARE(fake.playState(), PlayState::Paused);
    QCOMPARE(fake.status(), "Paused");
    fake.play();
    QCOMPARE(fake.playState(), PlayState::Playing);
    QCOMPARE(fake.status(), "Playing");
    QCOMPARE(fake.pauseCalls, 1);
    QCOMPARE(fake.playCalls, 1);
    QCOMPARE(statusChanges.count(), 3);

    fake.setDuration(61);
    QCOMPARE(fake.durationString(), "01:01");
    fake.setCurrentPosition(-4);
    QCOMPARE(fake.currentPosition(), 0.0);
    fake.setCurrentPosition(70);
    QCOMPARE(fake.currentPosition(), 61.0);
    fake.setVolume(110);
    QCOMPARE(fake.volume(), 100);
    fake.setVolume(-10);
    QCOMPARE(fake.volume(), 0);
    QCOMPARE(fake.positionRequests, (QList<double>{-4, 70}));
    QCOMPARE(fake.volumeRequests, (QList<int>{110, -10}));

    // One failure only, and the failed call changes nothing.
    fake.failNextCall("broken");
    try {
        fake.setUrl("http://a/2");
        QFAIL("no error");
    } catch (const Error& e) {
        QCOMPARE(e.text(), "broken");
    }
    QCOMPARE(fake.urls.size(), 1);
    fake.setUrl("http://a/2");
    QCOMPARE(fake.url(), "http://a/2");

    // Why it stopped is the player's word, not its status text's.
    fake.stop(Stop::Failed, "Media ended");
    QVERIFY(fake.failed() && !fake.ended());
    fake.setUrl("http://a/3");
    QCOMPARE(fake.stopReason(), Stop::None);
    QVERIFY(!fake.failed());
}

void TestMpvPlayer::nothingOpenedYet() {
    MpvPlayer player(nullptr, {"ao=null"});
    QCOMPARE(player.playState(), PlayState::Undefined);
    QCOMPARE(player.volume(), 50);
    // Harmless before anything was opened, and the engine need not run.
    player.pause();
    player.play();
    player.setCurrentPosition(12);
    player.setVolume(110);
    QCOMPARE(player.volume(), 100);
    player.setVolume(-10);
    QCOMPARE(player.volume(), 0);
    QCOMPARE(player.playState(), PlayState::Undefined);
    QCOMPARE(player.currentPosition(), 0.0);
    QCOMPARE(player.duration(), 0.0);
    QCOMPARE(player.durationString(), QString());
    QCOMPARE(player.name(), QString());
}

void TestMpvPlayer::playsPausesSeeksAndSetsVolume() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    StatusLog log(player);
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    const QString url = songUrl(58);

    player.setUrl(url);
    QCOMPARE(player.url(), url);
    QCOMPARE(player.status(), "Opening...");
    QCOMPARE(player.playState(), PlayState::Playing);
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 1, 5000);
    QCOMPARE(player.duration(), 60.0);
    QCOMPARE(player.durationString(), "01:00");
    QCOMPARE(player.name(), songTitle(58));
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.3, 3000);
    QCOMPARE(player.status(), "Playing");
    QCOMPARE(player.playState(), PlayState::Playing);

    player.pause();
    QCOMPARE(player.playState(), PlayState::Paused);
    QCOMPARE(player.status(), "Paused");
    QTRY_COMPARE_WITH_TIMEOUT(player.engineProperty("core-idle"), "yes", 2000);
    const double held = player.currentPosition();
    // The pause holds while another song plays on for 0.4 s.
    {
        MpvPlayer clock(nullptr, {"ao=null"});
        clock.setUrl(songUrl(58));
        QTRY_VERIFY_WITH_TIMEOUT(clock.currentPosition() > 0.4, 3000);
    }
    // The engine may still move its position on to the end of the sound it
    // had handed out (about 0.05 s); playing on would be 0.4 s.
    QVERIFY2(std::abs(player.currentPosition() - held) < 0.12,
             qPrintable(QString("%1 -> %2").arg(held).arg(player.currentPosition())));

    player.play();
    QCOMPARE(player.playState(), PlayState::Playing);
    QCOMPARE(player.status(), "Playing");
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > held + 0.2, 2000);

    player.setCurrentPosition(30);
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() >= 30 && player.currentPosition() < 31.5,
                             2000);
    player.setCurrentPosition(-5); // clamped to the start
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() < 1.5, 2000);
    QCOMPARE(player.playState(), PlayState::Playing);

    player.setVolume(110);
    QCOMPARE(player.volume(), 100);
    player.setVolume(-10);
    QCOMPARE(player.volume(), 0);
    player.setVolume(35);
    QCOMPARE(player.volume(), 35);

    QCOMPARE(taken.count(), 1); // seeking takes up no new media
    QCOMPARE(log.texts.first(), "Opening...");
    QVERIFY2(log.allChanges(), qPrintable(log.texts.join(" | ")));
}

void TestMpvPlayer::songEndsStopped() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    StatusLog log(player);
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(songUrl(1));
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 1, 3000);
    QCOMPARE(player.durationString(), "00:03");
    QCOMPARE(player.playState(), PlayState::Playing);

    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), PlayState::Stopped, 6000);
    QCOMPARE(player.status(), "Media ended");
    QCOMPARE(player.stopReason(), Stop::Ended);
    QVERIFY(player.ended() && !player.failed());
    QCOMPARE(log.texts.last(), "Media ended");
    // The ended song's facts stay readable, as the position tick reads them.
    QCOMPARE(player.durationString(), "00:03");
    QCOMPARE(player.name(), songTitle(1));
    // Nothing plays that could be held or continued.
    player.pause();
    player.play();
    QCOMPARE(player.playState(), PlayState::Stopped);
    QCOMPARE(taken.count(), 1);
}

// At a song's end libmpv plays out what its audio output holds (0.6 s with
// the null output) and takes no request meanwhile: handing the next address
// over must not hold up the window for that long.
void TestMpvPlayer::nextAddressIsHandedOverWithoutWaiting() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    const QString base = QString::fromStdString(portal_->baseUrl()) + "/audio/download/";
    const QString first = base + QString::fromStdString(demo::catalogue::timedSongNumber(1300));
    const QString next = base + QString::fromStdString(demo::catalogue::timedSongNumber(2100));
    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, this, [&] { ++ticks; });
    int ticksAtEnd = -1;
    connect(&player, &MediaPlayer::StatusChange, this, [&] {
        if (ticksAtEnd < 0 && player.status() == "Media ended") {
            ticksAtEnd = ticks;
            player.setUrl(next);
            QCOMPARE(player.status(), "Opening...");
        }
    });
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(first);
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 1, 3000);
    timer.start(10);
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 2, 5000);
    const int ticksBetween = ticks - ticksAtEnd;
    QCOMPARE(player.url(), next);
    QCOMPARE(player.duration(), 2.1);
    // About 50 while the end plays out; 5 when the handler waited for it.
    QVERIFY2(ticksBetween >= 20, qPrintable(QString::number(ticksBetween)));
    QTRY_COMPARE_WITH_TIMEOUT(player.status(), "Playing", 2000);
    QCOMPARE(player.stopReason(), Stop::None); // the new song forgot the last one's end
}

void TestMpvPlayer::unreachableAddressFails_data() {
    QTest::addColumn<QString>("url");
    QTest::newRow("no such song") << QString("/audio/download/9999999");
    QTest::newRow("connection refused") << QString("http://127.0.0.1:1/");
}

void TestMpvPlayer::unreachableAddressFails() {
    REQUIRE_LIBMPV();
    QFETCH(QString, url);
    if (url.startsWith('/'))
        url.prepend(QString::fromStdString(portal_->baseUrl()));
    MpvPlayer player(nullptr, {"ao=null"});
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(url);
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), PlayState::Stopped, 3000);
    QVERIFY2(player.status().startsWith("Error: "), qPrintable(player.status()));
    QCOMPARE(player.stopReason(), Stop::Failed);
    QVERIFY(player.failed() && !player.ended());
    // The engine reports the end after all that came before it.
    QCOMPARE(taken.count(), 0);
    QCOMPARE(player.durationString(), QString());
}

void TestMpvPlayer::newAddressReplacesCurrentOne() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(songUrl(58));
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.2, 3000);

    // The old song's end must not stop or end the new one.
    StatusLog log(player);
    player.setUrl(songUrl(2));
    QCOMPARE(player.status(), "Opening...");
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 2, 3000);
    QTRY_COMPARE_WITH_TIMEOUT(player.status(), "Playing", 2000);
    QCOMPARE(player.url(), songUrl(2));
    QCOMPARE(player.duration(), 4.0);
    QCOMPARE(player.name(), songTitle(2));
    QCOMPARE(log.texts, (QStringList{"Opening...", "Playing"}));

    // Replaced before it was even open: only the last address is taken up.
    player.setUrl(songUrl(3));
    player.setUrl(songUrl(5));
    QTRY_COMPARE_WITH_TIMEOUT(player.status(), "Playing", 3000);
    // Position reports of the last song come after anything left of the others.
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.2, 3000);
    QCOMPARE(taken.count(), 3);
    QCOMPARE(player.duration(), 7.0);
    QCOMPARE(player.name(), songTitle(5));
    QCOMPARE(player.playState(), PlayState::Playing);
}

void TestMpvPlayer::playlistAddressSkipsFailedEntries() {
    REQUIRE_LIBMPV();
    QTemporaryDir dir;
    QFile list(dir.filePath("radio.m3u"));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write((songUrl(1).replace(songNumber(1), "9999999") + "\n" + songUrl(1) + "\n").toUtf8());
    list.close();

    MpvPlayer player(nullptr, {"ao=null"});
    StatusLog log(player);
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(list.fileName());
    QTRY_COMPARE_WITH_TIMEOUT(player.playState(), PlayState::Stopped, 6000);
    QCOMPARE(taken.count(), 1);
    QCOMPARE(player.name(), songTitle(1));
    QCOMPARE(log.texts, (QStringList{"Opening...", "Playing", "Media ended"}));
}

void TestMpvPlayer::radioStreamHasNoLength() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    QSignalSpy taken(&player, &MediaPlayer::CurrentItemChange);
    player.setUrl(QString::fromStdString(portal_->radioUrl(0)));
    // FFmpeg's WAV reader looks 64 KiB ahead before an endless PCM stream can
    // start: a server without a burst of that size makes it wait in real time.
    QTRY_COMPARE_WITH_TIMEOUT(taken.count(), 1, 5000);
    QTRY_COMPARE_WITH_TIMEOUT(player.name(), "Vellwave - Demo Track 1", 3000);
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 0.5, 3000);
    QCOMPARE(player.status(), "Playing");
    QCOMPARE(player.playState(), PlayState::Playing);
    QCOMPARE(player.duration(), 0.0);
    QCOMPARE(player.durationString(), QString());
    player.setCurrentPosition(30); // nothing to seek in
    QCOMPARE(player.playState(), PlayState::Playing);
}

// libmpv's back buffer would hold an endless stream's last 50 MiB: the
// player's memory grew by the stream's rate for hours.
void TestMpvPlayer::endlessStreamKeepsNothingPlayed() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null"});
    // The bytes libmpv holds of what has been played already.
    const auto playedBytes = [&player] {
        const QJsonObject cache =
            QJsonDocument::fromJson(player.engineProperty("demuxer-cache-state").toUtf8()).object();
        return cache.value("total-bytes").toInteger(-1) - cache.value("fw-bytes").toInteger();
    };
    player.setUrl(songUrl(58));
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 2, 5000);
    const QString cache = player.engineProperty("cache");
    QVERIFY(cache != "no");
    // A song keeps what it played, to seek back in: 2 s are 16,000 bytes.
    QVERIFY2(playedBytes() > 12000, qPrintable(QString::number(playedBytes())));

    player.setUrl(QString::fromStdString(portal_->radioUrl(0)));
    QTRY_VERIFY_WITH_TIMEOUT(player.currentPosition() > 3, 8000);
    QCOMPARE(player.name(), "Vellwave - Demo Track 1");
    const qint64 played = playedBytes();
    QVERIFY2(played >= 0 && played < 8000, qPrintable(QString::number(played))); // 0.25 s

    // The next address has libmpv's value again.
    player.setUrl(songUrl(58));
    QTRY_COMPARE_WITH_TIMEOUT(player.status(), "Playing", 3000);
    QCOMPARE(player.engineProperty("cache"), cache);
}

// libmpv moves a stream's title on as the sound it came with plays; holding
// no back buffer through demuxer-max-back-bytes=0 had kept it on the first.
void TestMpvPlayer::radioTitleFollowsTheStream() {
    REQUIRE_LIBMPV();
    demo::Options options = portalWithRadio();
    options.radioTrackSeconds = 2;
    demo::Portal portal(options);
    portal.start();
    MpvPlayer player(nullptr, {"ao=null"});
    QStringList titles;
    QList<double> at;
    connect(&player, &MediaPlayer::MediaChange, this, [&] {
        titles << player.name();
        at << player.currentPosition();
    });
    player.setUrl(QString::fromStdString(portal.radioUrl(0)));
    QTRY_COMPARE_WITH_TIMEOUT(player.status(), "Playing", 5000);
    // The head start of 2.25 s is read at once, and libmpv names all of it
    // after the last title in it; from there on each track of 2 s in turn.
    const int track = player.name().section(' ', -1).toInt();
    QVERIFY2(player.name().startsWith("Vellwave - Demo Track ") && track >= 2,
             qPrintable(player.name()));
    QVERIFY(titles.isEmpty()); // taking up the stream is no change of its title
    QTRY_VERIFY_WITH_TIMEOUT(titles.size() >= 4, 20000);
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(titles[i], QStringLiteral("Vellwave - Demo Track %1").arg(track + 1 + i));
        // Each while the sound of its own track plays: the title comes with
        // the first 8192 bytes of sound after the track began (0.256 s).
        QVERIFY2(std::abs(at[i] - 2.0 * (track + i)) < 0.8,
                 qPrintable(QString("%1 at %2 s").arg(titles[i]).arg(at[i])));
    }
    QCOMPARE(player.duration(), 0.0);
}

void TestMpvPlayer::destroyedWhilePlaying() {
    REQUIRE_LIBMPV();
    QElapsedTimer clock;
    auto player = std::make_unique<MpvPlayer>(nullptr, QStringList{"ao=null"});
    player->setUrl(songUrl(58));
    QTRY_COMPARE_WITH_TIMEOUT(player->status(), "Playing", 3000);
    clock.start();
    player.reset();
    QVERIFY(clock.elapsed() < 2000);

    // While a stream is still being read before it could start.
    const auto streamRequests = [this] {
        const auto arrivals = portal_->arrivals();
        return std::count(arrivals.begin(), arrivals.end(), "GET /");
    };
    const auto before = streamRequests();
    player = std::make_unique<MpvPlayer>(nullptr, QStringList{"ao=null"});
    player->setUrl(QString::fromStdString(portal_->radioUrl(1)));
    QTRY_COMPARE_WITH_TIMEOUT(streamRequests(), before + 1, 3000);
    clock.start();
    player.reset();
    QVERIFY(clock.elapsed() < 2000);

    // With the address just handed over and wake-ups still queued: what was
    // queued for the player is dropped with it, and a later player is not
    // disturbed by its remains.
    player = std::make_unique<MpvPlayer>(nullptr, QStringList{"ao=null"});
    player->setUrl(songUrl(58));
    clock.start();
    player.reset();
    QVERIFY(clock.elapsed() < 2000);
    bool drained = false; // all that was queued before this has been delivered
    QMetaObject::invokeMethod(
        this, [&] { drained = true; }, Qt::QueuedConnection);
    QTRY_VERIFY_WITH_TIMEOUT(drained, 2000);

    MpvPlayer next(nullptr, {"ao=null"});
    StatusLog log(next);
    next.setUrl(songUrl(1));
    QTRY_COMPARE_WITH_TIMEOUT(next.status(), "Playing", 3000);
    QCOMPARE(log.texts, (QStringList{"Opening...", "Playing"}));
}

void TestMpvPlayer::rejectedOptionThrows() {
    REQUIRE_LIBMPV();
    MpvPlayer player(nullptr, {"ao=null", "no-such-option=1"});
    QVERIFY_THROWS_EXCEPTION(Error, player.setUrl(songUrl(1)));
    QCOMPARE(player.playState(), PlayState::Undefined);
}

QTEST_GUILESS_MAIN(TestMpvPlayer)
#include "test_mpvplayer.moc"
