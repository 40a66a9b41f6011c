// SPDX-License-Identifier: GPL-3.0-or-later
// The MPRIS media controls, driven over a private session bus (the test runs
// under dbus-run-session) by a second connection, as a desktop would.
#include "fakemediaplayer.h"
#include "form1.h"
#include "listrows.h"
#include "mediacontrols.h"
#include "messagerecorder.h"
#include "program.h"
#include "testinstall.h"
#include "testprogram.h"
#include "textfile.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>

using qv::FakeMediaPlayer;
using qv::Form1;
using qv::MediaControls;

namespace {

const QString kPlayer = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kRoot = QStringLiteral("org.mpris.MediaPlayer2");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");

// A bus value as a plain one: dictionaries arrive still marshalled.
QVariant plain(const QVariant& value) {
    if (value.canConvert<QDBusArgument>())
        return qdbus_cast<QVariantMap>(value.value<QDBusArgument>());
    return value;
}

} // namespace

class TestMediaControls : public ProgramTest {
    Q_OBJECT

public slots:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList&) {
        if (interface != kPlayer)
            return;
        for (auto it = changed.begin(); it != changed.end(); ++it)
            changes_.append({it.key(), plain(it.value())});
    }

private:
    QDBusConnection client_ =
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));
    FakeMediaPlayer* player_ = nullptr;
    QList<QPair<QString, QVariant>> changes_;

    // Calls the player over the bus and lets it answer; the commands run
    // once the answer is out, on a call posted while the method was handled:
    // once a call posted after the answer has run, they have run too.
    QDBusMessage call(const QString& interface, const QString& method,
                      const QVariantList& arguments = {}) {
        QDBusMessage message = QDBusMessage::createMethodCall(
            MediaControls::kServiceName, MediaControls::kObjectPath, interface, method);
        message.setArguments(arguments);
        const QDBusPendingCall pending = client_.asyncCall(message, 5000);
        const QDeadlineTimer deadline(5000);
        while (!pending.isFinished() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        bool settled = false;
        QMetaObject::invokeMethod(
            this, [&settled] { settled = true; }, Qt::QueuedConnection);
        while (!settled && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return pending.reply();
    }
    QVariant property(const QString& name, const QString& interface = kPlayer) {
        const QDBusMessage reply = call(kProperties, QStringLiteral("Get"), {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage)
            return QStringLiteral("error: ") + reply.errorMessage();
        return plain(reply.arguments().value(0).value<QDBusVariant>().variant());
    }
    QVariantMap metadata() { return property(QStringLiteral("Metadata")).toMap(); }
    // The value announced last for a property; null before any.
    QVariant announced(const QString& name) const {
        for (auto it = changes_.rbegin(); it != changes_.rend(); ++it) {
            if (it->first == name)
                return it->second;
        }
        return {};
    }

    void fillResults(int count) {
        form1_->ListBox1->clear();
        form1_->ListBox2.clear();
        for (int i = 0; i < count; ++i) {
            qv::rows::append(*form1_->ListBox1, QStringLiteral("Song %1").arg(i));
            form1_->ListBox2 << songLink(i + 1);
        }
    }
    int selected() const { return qv::rows::selected(*form1_->ListBox1); }
    // Plays the first result; the player then knows its length.
    void playFirst(double length) {
        fillResults(3);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        player_->setDuration(length);
        player_->setStatus(QStringLiteral("Playing"));
    }

private slots:
    void initTestCase() {
        if (!client_.isConnected())
            QSKIP("no session bus: run under dbus-run-session");
        QVERIFY(client_.connect(MediaControls::kServiceName, MediaControls::kObjectPath,
                                kProperties, QStringLiteral("PropertiesChanged"), this,
                                SLOT(propertiesChanged(QString, QVariantMap, QStringList))));
    }

    void init() {
        install_ = quietInstall();
        messages_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer(&player_);
        changes_.clear();
    }

    void cleanup() { endProgram(); }

    void showsTheSongPlaying() {
        QVERIFY(client_.interface()->isServiceRegistered(MediaControls::kServiceName));
        QCOMPARE(property(QStringLiteral("Identity"), kRoot).toString(), "Quorvell Music Player");
        QCOMPARE(property(QStringLiteral("DesktopEntry"), kRoot).toString(), "qvplayer");
        QCOMPARE(property(QStringLiteral("PlaybackStatus")).toString(), "Stopped");
        QCOMPARE(metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path(),
                 "/org/mpris/MediaPlayer2/TrackList/NoTrack");
        QCOMPARE(property(QStringLiteral("CanSeek")).toBool(), false);

        playFirst(42.5);
        QTRY_COMPARE(announced(QStringLiteral("PlaybackStatus")).toString(), "Playing");
        QTRY_COMPARE(announced(QStringLiteral("Metadata")).toMap().value("mpris:length"),
                     QVariant(qlonglong(42'500'000)));
        QCOMPARE(announced(QStringLiteral("Metadata")).toMap().value("xesam:title"), "Song 0");

        const QVariantMap read = metadata();
        QCOMPARE(read.value(QStringLiteral("xesam:title")).toString(), "Song 0");
        QCOMPARE(read.value(QStringLiteral("mpris:length")).toLongLong(), 42'500'000);
        QCOMPARE(read.value(QStringLiteral("xesam:url")).toString(), player_->url());
        QCOMPARE(property(QStringLiteral("CanSeek")).toBool(), true);
        player_->setPosition(12.25);
        QCOMPARE(property(QStringLiteral("Position")).toLongLong(), 12'250'000);

        // The next song is a new track: its id changes with its title.
        const QString firstId =
            read.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
        call(kPlayer, QStringLiteral("Next"));
        const QVariantMap second = metadata();
        QCOMPARE(second.value(QStringLiteral("xesam:title")).toString(), "Song 1");
        QVERIFY(second.value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path() !=
                firstId);

        // The radio names its current track.
        form1_->CableDSLT11Click();
        player_->setName(QStringLiteral("Vellwave - Demo Track 3"));
        form1_->Timer1Timer();
        QCOMPARE(metadata().value(QStringLiteral("xesam:title")).toString(),
                 "Vellwave - Demo Track 3");
    }

    // The title the lists show, character references decoded; the row keeps
    // the bytes the page wrote.
    void titleShownDecoded() {
        const QString holder = qv::text::fromBytes("Rock &amp; Roll &#8211; caf\xc3\xa9");
        fillResults(1);
        delete form1_->ListBox1->takeItem(0);
        qv::rows::append(*form1_->ListBox1, holder);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        player_->setStatus(QStringLiteral("Playing"));
        QTRY_COMPARE(announced(QStringLiteral("Metadata")).toMap().value("xesam:title"),
                     QVariant(QStringLiteral("Rock & Roll – café")));
        QCOMPARE(metadata().value(QStringLiteral("xesam:title")).toString(), "Rock & Roll – café");
        QCOMPARE(qv::rows::holder(*form1_->ListBox1, 0), holder);
        QCOMPARE(player_->url(),
                 QStringLiteral("http://www.quorvell.example/audio/download/0000001"));
    }

    void commandsPressThePlayersButtons() {
        playFirst(60);
        // PlayPause toggles "Pause" and "Resume" as the tray menu does.
        call(kPlayer, QStringLiteral("PlayPause"));
        QCOMPARE(player_->pauseCalls, 1);
        QVERIFY(!form1_->sBitBtn11->isHidden());
        QTRY_COMPARE(announced(QStringLiteral("PlaybackStatus")).toString(), "Paused");
        call(kPlayer, QStringLiteral("PlayPause"));
        QCOMPARE(player_->playCalls, 1);
        QVERIFY(!form1_->sBitBtn4->isHidden());
        call(kPlayer, QStringLiteral("Play")); // already playing: nothing
        QCOMPARE(player_->playCalls, 1);
        QCOMPARE(player_->urls.size(), 1);
        call(kPlayer, QStringLiteral("Pause"));
        call(kPlayer, QStringLiteral("Pause")); // already paused: nothing
        QCOMPARE(player_->pauseCalls, 2);
        call(kPlayer, QStringLiteral("Play"));
        QCOMPARE(player_->playCalls, 2);

        call(kPlayer, QStringLiteral("Next"));
        QCOMPARE(selected(), 1);
        QCOMPARE(player_->urls.size(), 2);
        call(kPlayer, QStringLiteral("Previous"));
        QCOMPARE(selected(), 0);
        QVERIFY(player_->urls.last().endsWith(QStringLiteral("0000001")));

        // Seeking moves the position bar too; past the end it goes on as Next.
        player_->setDuration(60);
        player_->setPosition(20);
        call(kPlayer, QStringLiteral("Seek"), {qlonglong(10'000'000)});
        QCOMPARE(player_->positionRequests.last(), 30.0);
        QCOMPARE(form1_->sGauge2->value(), 50);
        call(kPlayer, QStringLiteral("Seek"), {qlonglong(-90'000'000)});
        QCOMPARE(player_->positionRequests.last(), 0.0);
        const QString track =
            metadata().value(QStringLiteral("mpris:trackid")).value<QDBusObjectPath>().path();
        call(kPlayer, QStringLiteral("SetPosition"),
             {QVariant::fromValue(QDBusObjectPath(track)), qlonglong(45'000'000)});
        QCOMPARE(player_->positionRequests.last(), 45.0);
        call(kPlayer, QStringLiteral("SetPosition"),
             {QVariant::fromValue(QDBusObjectPath(QStringLiteral("/org/qvplayer/track/999"))),
              qlonglong(5'000'000)});
        QCOMPARE(player_->positionRequests.last(), 45.0); // another track's: ignored
        player_->setPosition(50);
        call(kPlayer, QStringLiteral("Seek"), {qlonglong(20'000'000)});
        QCOMPARE(selected(), 1);

        // Volume goes to the bar and the player, and is announced.
        const QDBusMessage set =
            call(kProperties, QStringLiteral("Set"),
                 {kPlayer, QStringLiteral("Volume"), QVariant::fromValue(QDBusVariant(0.3))});
        QCOMPARE(set.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(player_->volume(), 30);
        QCOMPARE(form1_->sGauge1->value(), 30);
        QTRY_COMPARE(announced(QStringLiteral("Volume")).toDouble(), 0.3);
        QCOMPARE(property(QStringLiteral("Volume")).toDouble(), 0.3);

        form1_->hide();
        call(kRoot, QStringLiteral("Raise"));
        QVERIFY(form1_->isVisible());
        QVERIFY(messages_->texts().isEmpty());
    }

    // A command that shows a message still answers the bus at once.
    void commandsAnswerBeforeTheirMessages() {
        call(kPlayer, QStringLiteral("Pause")); // nothing played: no message
        QVERIFY(messages_->texts().isEmpty());
        const QDBusMessage reply = call(kPlayer, QStringLiteral("Next"));
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
        QCOMPARE(messages_->texts(),
                 QStringList{QStringLiteral("Please select a genre and click search first")});
    }

    void secondInstanceAndNoBus() {
        struct Idle : qv::MediaControlsTarget {
            qv::MediaState state() const override { return {}; }
            qint64 positionUs() const override { return 0; }
            void raise() override {}
            void quit() override {}
            void playPause() override {}
            void play() override {}
            void pause() override {}
            void next() override {}
            void previous() override {}
            void setPositionUs(qint64) override {}
            void setVolume(double) override {}
        };
        // Another connection, as a second player process would have.
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
        {
            MediaControls second(std::make_unique<Idle>());
            QVERIFY(second.start(other));
            QCOMPARE(second.serviceName(), MediaControls::kServiceName +
                                               QStringLiteral(".instance") +
                                               QString::number(QCoreApplication::applicationPid()));
        }
        QDBusConnection::disconnectFromBus(QStringLiteral("second"));

        MediaControls none(std::make_unique<Idle>());
        QVERIFY(!none.start(QDBusConnection(QStringLiteral("no such bus"))));
    }
};

QTEST_MAIN(TestMediaControls)
#include "test_mediacontrols.moc"
