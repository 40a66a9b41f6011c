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
    enum PlayState { Undefined = 0, Stopped = 1, Paused = 2, Playing = 3 };

    using QObject::QObject;

    // Opens the address and starts playing it at once.
    virtual void setUrl(const QString& url) = 0;
    virtual QString url() const = 0;

    // 0 before anything was opened, 1 stopped or ended, 2 paused, 3 playing.
    virtual int playState() const = 0;
    // "Opening...", "Buffering...", "Playing", "Paused", "Stopped",
    // "Media ended", or an error text beginning with "Error".
    virtual QString status() const = 0;
    // Stopped by an error rather than at the media's end.
    bool failed() const {
        return playState() == Stopped && status().startsWith(QLatin1String("Error"));
    }
    // Stopped at the media's end.
    bool ended() const {
        return playState() == Stopped && status() == QLatin1String("Media ended");
    }

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
