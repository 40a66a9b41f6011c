// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "mediaplayer.h"

#include <QList>
#include <QStringList>

namespace qv {

// A scripted player for handler tests: it records every call and reports
// whatever state the test sets.
class FakeMediaPlayer : public MediaPlayer {
    Q_OBJECT
public:
    using MediaPlayer::MediaPlayer;

    // Records the address, status "Opening...", Playing, StatusChange.
    // CurrentItemChange follows only when the test calls takeUp().
    void setUrl(const QString& url) override;
    QString url() const override { return url_; }
    PlayState playState() const override { return playState_; }
    Stop stopReason() const override { return stopReason_; }
    QString status() const override { return status_; }
    void play() override;
    void pause() override;
    double currentPosition() const override { return position_; }
    void setCurrentPosition(double seconds) override;
    int volume() const override { return volume_; }
    void setVolume(int volume) override;
    double duration() const override { return duration_; }
    QString durationString() const override { return durationString_; }
    QString name() const override { return name_; }

    // Scripting.
    void takeUp() { emit CurrentItemChange(); }
    void setStatus(const QString& status); // emits StatusChange
    void setPlayState(PlayState state) { playState_ = state; }
    // Stopped for that reason, then the status text (emits StatusChange).
    void stop(Stop reason, const QString& status);
    void setDuration(double seconds); // also sets durationString
    void setPosition(double seconds) { position_ = seconds; }
    void setName(const QString& name); // emits MediaChange when it changes
    // The next call of an operation throws Error(text).
    void failNextCall(const QString& text) { failure_ = text; }

    // What was asked of the player, unclamped.
    QStringList urls;
    int playCalls = 0;
    int pauseCalls = 0;
    QList<double> positionRequests;
    QList<int> volumeRequests;

private:
    void maybeFail();

    QString url_;
    PlayState playState_ = PlayState::Undefined;
    Stop stopReason_ = Stop::None;
    QString status_;
    double position_ = 0;
    int volume_ = 50;
    double duration_ = 0;
    QString durationString_;
    QString name_;
    QString failure_;
};

} // namespace qv
