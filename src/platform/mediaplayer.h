// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>

namespace qv {

// The embedded media player: the program hands it addresses and reads back
// state, length and position. Out-of-range volumes and positions are clamped
// inside; failing operations throw Error.
class MediaPlayer : public QObject {
    Q_OBJECT
public:
    // The numbers are the ones the design gives the player's states.
    enum class PlayState { Undefined = 0, Stopped = 1, Paused = 2, Playing = 3 };
    Q_ENUM(PlayState)
    // Why the player stopped; None while a media is open or before any.
    enum class Stop { None, Ended, Failed, Other };
    Q_ENUM(Stop)

    using QObject::QObject;

    // Opens the address and starts playing it at once.
    virtual void setUrl(const QString& url) = 0;
    virtual QString url() const = 0;

    // Undefined before anything was opened, Stopped when stopped or ended.
    virtual PlayState playState() const = 0;
    virtual Stop stopReason() const = 0;
    // For the now-playing line only: "Opening...", "Buffering...", "Playing",
    // "Paused", "Stopped", "Media ended", or an error text.
    virtual QString status() const = 0;
    // Stopped by an error rather than at the media's end.
    bool failed() const {
        return playState() == PlayState::Stopped && stopReason() == Stop::Failed;
    }
    // Stopped at the media's end.
    bool ended() const { return playState() == PlayState::Stopped && stopReason() == Stop::Ended; }

    virtual void play() = 0;  // continues a paused song
    virtual void pause() = 0; // holds the song at its position

    virtual double currentPosition() const = 0; // seconds
    virtual void setCurrentPosition(double seconds) = 0;

    virtual int volume() const = 0; // 0 to 100
    virtual void setVolume(int volume) = 0;

    // Seconds; 0 until known and for a live stream.
    virtual double duration() const = 0;
    // "MM:SS"; empty until known and for a live stream.
    virtual QString durationString() const = 0;
    // The media's title (a radio stream's current title).
    virtual QString name() const = 0;

    // "MM:SS" for a length in seconds (rounded down), "" for 0 or less.
    static QString formatDuration(double seconds);

signals:
    void StatusChange();
    void CurrentItemChange();
    // The current media's name changed after CurrentItemChange: a stream's
    // next title.
    void MediaChange();
};

} // namespace qv
