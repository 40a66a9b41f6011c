// SPDX-License-Identifier: GPL-3.0-or-later
#include "mediacontrols.h"

#include "logging.h"

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QTimer>
#include <cmath>

namespace qv {

namespace {

const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// org.mpris.MediaPlayer2: the application as a whole.
class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ yes)
    Q_PROPERTY(bool CanRaise READ yes)
    Q_PROPERTY(bool HasTrackList READ no)
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(QString DesktopEntry READ desktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ none)
    Q_PROPERTY(QStringList SupportedMimeTypes READ none)
public:
    explicit RootAdaptor(MediaControls* controls) : QDBusAbstractAdaptor(controls), c(*controls) {}

    bool yes() const { return true; }
    bool no() const { return false; }
    QString identity() const { return QStringLiteral("Quorvell Music Player"); }
    QString desktopEntry() const { return QStringLiteral("qvplayer"); }
    QStringList none() const { return {}; }

public slots:
    void Raise() { c.later(&MediaControlsTarget::raise); }
    void Quit() { c.later(&MediaControlsTarget::quit); }

private:
    MediaControls& c;
};

// org.mpris.MediaPlayer2.Player: playing, stepping, seeking, volume.
class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(double Rate READ one WRITE ignoreRate)
    Q_PROPERTY(double MinimumRate READ one)
    Q_PROPERTY(double MaximumRate READ one)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(double Volume READ volume WRITE setVolume)
    Q_PROPERTY(qlonglong Position READ position)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanGoPrevious READ yes)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanSeek READ canSeek)
    Q_PROPERTY(bool CanControl READ yes)
public:
    explicit PlayerAdaptor(MediaControls* controls) : QDBusAbstractAdaptor(controls), c(*controls) {
        connect(controls, &MediaControls::Seeked, this, &PlayerAdaptor::Seeked);
    }

    QString playbackStatus() const { return current().playbackStatus; }
    double one() const { return 1.0; }
    void ignoreRate(double) {}
    QVariantMap metadata() const {
        current();
        return c.metadata();
    }
    double volume() const { return current().volume; }
    void setVolume(double volume) {
        if (std::isfinite(volume))
            c.target().setVolume(std::clamp(volume, 0.0, 1.0));
        c.refresh();
    }
    qlonglong position() const { return c.target().positionUs(); }
    bool yes() const { return true; }
    bool canSeek() const { return current().lengthUs > 0; }

public slots:
    void Next() { c.later(&MediaControlsTarget::next); }
    void Previous() { c.later(&MediaControlsTarget::previous); }
    void Pause() { c.later(&MediaControlsTarget::pause); }
    void PlayPause() { c.later(&MediaControlsTarget::playPause); }
    void Stop() { c.later(&MediaControlsTarget::pause); }
    void Play() { c.later(&MediaControlsTarget::play); }
    void Seek(qlonglong offset) { c.seekBy(offset); }
    void SetPosition(const QDBusObjectPath& track, qlonglong position) {
        c.setPosition(track.path(), position);
    }
    void OpenUri(const QString&) {} // no address schemes are offered

signals:
    void Seeked(qlonglong position);

private:
    // Reads go through the announced state, so that a client that reads a
    // change before its signal arrives is signalled all the same.
    const MediaState& current() const {
        c.refresh();
        return c.announced();
    }

    MediaControls& c;
};

} // namespace

MediaControls::MediaControls(std::unique_ptr<MediaControlsTarget> target, QObject* parent)
    : QObject(parent), target_(std::move(target)) {
    new RootAdaptor(this);
    new PlayerAdaptor(this);
}

MediaControls::~MediaControls() {
    if (bus_.isConnected()) {
        bus_.unregisterService(serviceName_);
        bus_.unregisterObject(kObjectPath);
    }
}

bool MediaControls::start(QDBusConnection bus) {
    if (!bus.isConnected()) {
        qCDebug(lcMpris).noquote()
            << "no media controls, no session bus:" << bus.lastError().message();
        return false;
    }
    if (!bus.registerObject(kObjectPath, this, QDBusConnection::ExportAdaptors)) {
        qCDebug(lcMpris).noquote() << "no media controls, cannot export" << kObjectPath << ":"
                                   << bus.lastError().message();
        return false;
    }
    serviceName_ = kServiceName;
    if (!bus.registerService(serviceName_)) {
        serviceName_ = kServiceName + QStringLiteral(".instance") +
                       QString::number(QCoreApplication::applicationPid());
        if (!bus.registerService(serviceName_)) {
            qCDebug(lcMpris).noquote() << "no media controls, the bus refused" << serviceName_
                                       << ":" << bus.lastError().message();
            bus.unregisterObject(kObjectPath);
            serviceName_.clear();
            return false;
        }
    }
    bus_ = bus;
    announced_ = target_->state();
    return true;
}

QString MediaControls::trackId() const {
    return track_ == 0 ? QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack")
                       : QStringLiteral("/org/qvplayer/track/%1").arg(track_);
}

QVariantMap MediaControls::metadata() const {
    QVariantMap map{
        {QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(trackId()))}};
    if (track_ == 0)
        return map;
    map.insert(QStringLiteral("xesam:title"), announced_.title);
    map.insert(QStringLiteral("xesam:url"), announced_.url);
    if (announced_.lengthUs > 0)
        map.insert(QStringLiteral("mpris:length"), qlonglong(announced_.lengthUs));
    return map;
}

void MediaControls::refresh() {
    const MediaState now = target_->state();
    if (now == announced_)
        return;
    const MediaState before = announced_;
    announced_ = now;
    if (now.url != before.url && !now.url.isEmpty())
        ++track_;

    QVariantMap changed;
    if (now.playbackStatus != before.playbackStatus)
        changed.insert(QStringLiteral("PlaybackStatus"), now.playbackStatus);
    if (now.title != before.title || now.url != before.url || now.lengthUs != before.lengthUs)
        changed.insert(QStringLiteral("Metadata"), metadata());
    if (now.volume != before.volume)
        changed.insert(QStringLiteral("Volume"), now.volume);
    if ((now.lengthUs > 0) != (before.lengthUs > 0))
        changed.insert(QStringLiteral("CanSeek"), now.lengthUs > 0);
    announce(changed);
}

void MediaControls::announce(const QVariantMap& changed) {
    if (!bus_.isConnected() || changed.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(kObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << kPlayerInterface << changed << QStringList();
    bus_.send(signal);
}

void MediaControls::later(void (MediaControlsTarget::*command)()) {
    QTimer::singleShot(0, this, [this, command] {
        (target_.get()->*command)();
        refresh();
    });
}

void MediaControls::seekBy(qint64 offsetUs) {
    refresh();
    const qint64 length = announced_.lengthUs;
    if (length <= 0)
        return;
    const qint64 position = std::max<qint64>(0, target_->positionUs() + offsetUs);
    if (position > length) {
        later(&MediaControlsTarget::next);
        return;
    }
    target_->setPositionUs(position);
    emit Seeked(position);
}

void MediaControls::setPosition(const QString& trackId, qint64 positionUs) {
    refresh();
    if (trackId != this->trackId() || positionUs < 0 || positionUs > announced_.lengthUs ||
        announced_.lengthUs <= 0)
        return;
    target_->setPositionUs(positionUs);
    emit Seeked(positionUs);
}

} // namespace qv

#include "mediacontrols.moc"
