// SPDX-License-Identifier: GPL-3.0-or-later
#include "fakemediaplayer.h"

#include "error.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace qv {

void FakeMediaPlayer::maybeFail() {
    if (!failure_.isEmpty())
        throw Error(std::exchange(failure_, QString()));
}

void FakeMediaPlayer::setUrl(const QString& url) {
    maybeFail();
    urls.append(url);
    url_ = url;
    playState_ = PlayState::Playing;
    stopReason_ = Stop::None;
    setStatus(QStringLiteral("Opening..."));
}

void FakeMediaPlayer::play() {
    maybeFail();
    ++playCalls;
    playState_ = PlayState::Playing;
    setStatus(QStringLiteral("Playing"));
}

void FakeMediaPlayer::pause() {
    maybeFail();
    ++pauseCalls;
    playState_ = PlayState::Paused;
    setStatus(QStringLiteral("Paused"));
}

void FakeMediaPlayer::setCurrentPosition(double seconds) {
    maybeFail();
    positionRequests.append(seconds);
    // Like the real player: no seeking in a stream without a length.
    if (duration_ > 0 && std::isfinite(seconds))
        position_ = std::clamp(seconds, 0.0, duration_);
}

void FakeMediaPlayer::setVolume(int volume) {
    maybeFail();
    volumeRequests.append(volume);
    volume_ = std::clamp(volume, 0, 100);
}

void FakeMediaPlayer::setStatus(const QString& status) {
    if (status == status_)
        return;
    status_ = status;
    emit StatusChange();
}

void FakeMediaPlayer::stop(Stop reason, const QString& status) {
    playState_ = PlayState::Stopped;
    stopReason_ = reason;
    setStatus(status);
}

void FakeMediaPlayer::setName(const QString& name) {
    if (name == name_)
        return;
    name_ = name;
    emit MediaChange();
}

void FakeMediaPlayer::setDuration(double seconds) {
    duration_ = seconds;
    durationString_ = formatDuration(seconds);
}

} // namespace qv
