// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <memory>

namespace qv {

// What the desktop's media controls show of the player.
struct MediaState {
    QString playbackStatus = QStringLiteral("Stopped"); // "Playing", "Paused" or "Stopped"
    QString title;
    QString url;         // the address playing; a new one is a new track
    qint64 lengthUs = 0; // 0 while unknown and for a live stream
    double volume = 0;   // 0 to 1

    bool operator==(const MediaState&) const = default;
};

// The player as the media controls drive it. The commands press the player's
// own buttons, so they behave as the buttons, hotkeys and tray menu do.
class MediaControlsTarget {
public:
    virtual ~MediaControlsTarget() = default;
    virtual MediaState state() const = 0;
    virtual qint64 positionUs() const = 0;

    virtual void raise() = 0;
    virtual void quit() = 0;
    virtual void playPause() = 0;
    virtual void play() = 0;
    virtual void pause() = 0;
    virtual void next() = 0;
    virtual void previous() = 0;
    virtual void setPositionUs(qint64 position) = 0;
    virtual void setVolume(double volume) = 0;
};

// The player's MPRIS 2 service on the session bus ("org.mpris.MediaPlayer2"
// and its ".Player" interface), through which the desktop's sound menu, media
// keys and playerctl control it (widget-free).
class MediaControls : public QObject {
    Q_OBJECT
public:
    static inline const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
    static inline const QString kServiceName = QStringLiteral("org.mpris.MediaPlayer2.qvplayer");

    MediaControls(std::unique_ptr<MediaControlsTarget> target, QObject* parent = nullptr);
    ~MediaControls() override;

    // Offers the service on the bus: under its own name, or, while another
    // player instance holds that, under a name with ".instance<pid>". False
    // without a bus; the player then runs without media controls.
    bool start(QDBusConnection bus = QDBusConnection::sessionBus());
    QString serviceName() const { return serviceName_; }

    // Compares the player's state with what was announced last and signals
    // the properties that changed.
    void refresh();

    // For the interfaces' adaptors.
    MediaControlsTarget& target() const { return *target_; }
    const MediaState& announced() const { return announced_; }
    QString trackId() const;
    QVariantMap metadata() const;
    // Runs a command after the bus call has been answered: a command that
    // opens a message box must not hold the caller until it is closed.
    void later(void (MediaControlsTarget::*command)());
    void seekBy(qint64 offsetUs);
    void setPosition(const QString& trackId, qint64 positionUs);

signals:
    void Seeked(qint64 positionUs);

private:
    void announce(const QVariantMap& changed);

    std::unique_ptr<MediaControlsTarget> target_;
    QDBusConnection bus_{QString()};
    QString serviceName_;
    MediaState announced_;
    quint64 track_ = 0; // counts the addresses played
};

} // namespace qv
