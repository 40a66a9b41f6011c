// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's share of the desktop's media controls: what they show
// and the buttons their commands press.
#include "form1.h"
#include "mediacontrols.h"
#include "mediaplayer.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <cmath>

namespace qv {

namespace {

class PlayerButtons : public MediaControlsTarget {
public:
    explicit PlayerButtons(Form1& form) : f(form) {}

    MediaState state() const override {
        const MediaPlayer& player = *f.WindowsMediaPlayer1;
        MediaState s;
        if (player.playState() == MediaPlayer::PlayState::Playing)
            s.playbackStatus = QStringLiteral("Playing");
        else if (player.playState() == MediaPlayer::PlayState::Paused)
            s.playbackStatus = QStringLiteral("Paused");
        s.url = player.url();
        // A song keeps its row's title; the radio names its current track.
        s.title = f.playingTitle.isEmpty() ? player.name() : f.playingTitle;
        s.lengthUs = std::llround(std::max(0.0, player.duration()) * 1e6);
        s.volume = player.volume() / 100.0;
        return s;
    }
    qint64 positionUs() const override {
        return std::llround(std::max(0.0, f.WindowsMediaPlayer1->currentPosition()) * 1e6);
    }

    void raise() override { f.Showwindow1Click(); }
    void quit() override { f.Close1Click(); }
    void playPause() override { f.PlayPause1Click(); }
    void play() override {
        if (!f.sBitBtn11->isHidden())
            f.sBitBtn11Click();
        else if (f.WindowsMediaPlayer1->playState() != MediaPlayer::PlayState::Playing)
            f.sBitBtn3Click();
    }
    // Only a playing song is paused: "Pause" with nothing played would
    // answer with a message box.
    void pause() override {
        if (!f.sBitBtn4->isHidden() &&
            f.WindowsMediaPlayer1->playState() == MediaPlayer::PlayState::Playing)
            f.sBitBtn4Click();
    }
    void next() override { f.sBitBtn1Click(); }
    void previous() override { f.sBitBtn2Click(); }
    void setPositionUs(qint64 position) override { f.seekToSeconds(position / 1e6); }
    void setVolume(double volume) override { f.setVolumeLevel(int(std::lround(volume * 100))); }

private:
    Form1& f;
};

} // namespace

void Form1::startMediaControls() {
    if (mediaControls)
        return;
    auto* controls = new MediaControls(std::make_unique<PlayerButtons>(*this), this);
    if (!controls->start()) {
        delete controls;
        return;
    }
    mediaControls = controls;
    // The ticks also catch what the player announces no signal for: the
    // length once known, the radio's next track.
    const auto refresh = [controls] { controls->refresh(); };
    connect(WindowsMediaPlayer1, &MediaPlayer::StatusChange, controls, refresh);
    connect(WindowsMediaPlayer1, &MediaPlayer::CurrentItemChange, controls, refresh);
    connect(Timer1, &QTimer::timeout, controls, refresh);
    connect(Timer2, &QTimer::timeout, controls, refresh);
    connect(sGauge1, &QProgressBar::valueChanged, controls, refresh);
}

} // namespace qv
