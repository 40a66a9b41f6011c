// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's play control, position tick, seek and volume, song page,
// song download and radio.
#include "boundary.h"
#include "form1.h"
#include "listrows.h"
#include "logging.h"
#include "mediaplayer.h"
#include "messages.h"
#include "playcontrol.h"
#include "servers.h"
#include "shell.h"

#include <QAction>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <limits>
#include <optional>

namespace qv {

namespace {

QString playMessage(Form1::ListKind kind) {
    return kind == Form1::ListKind::SearchResults
               ? QStringLiteral("Please select a genre and click search first")
               : QStringLiteral("Please select a song first");
}

QString checkOutMessage(Form1::ListKind kind) {
    return kind == Form1::ListKind::SearchResults
               ? QStringLiteral("Please selece genre and click search first")
               : QStringLiteral("Please selece a song first");
}

QString downloadMessage(Form1::ListKind kind) {
    return kind == Form1::ListKind::SearchResults
               ? QStringLiteral("Please selece genre and click search first")
               : QStringLiteral("Please select a song, first");
}

// The link paired with a row. The pairs are kept in step, so a missing link
// is a broken holder, reported like any failed list access.
QString linkAt(const Form1::ShownList& shown, int row) {
    if (row < 0 || row >= shown.links->size())
        throw Error(QStringLiteral("List index out of bounds (%1)").arg(row));
    return shown.links->at(row);
}

// The link that Check out and Download take: the selected row's, or the first
// row's when none is selected, as Play would take it. Nothing, after the
// message, when the list is empty.
std::optional<QString> chosenLink(const Form1::ShownList& shown, const QString& emptyMessage) {
    if (shown.titles->count() == 0) {
        messages::plain(emptyMessage);
        return std::nullopt;
    }
    return linkAt(shown, std::max(rows::selected(*shown.titles), 0));
}

// A bar shows 0 to 100. QProgressBar leaves out repaints for changes it
// deems smaller than a chunk of its style, which on the short volume bar
// swallows a step of 10.
void setBar(QProgressBar& bar, qint64 value) {
    bar.setValue(playback::barValue(value));
    bar.update();
}

QString downloadAddressOf(const QString& link) {
    return playback::downloadAddress(Servers::current().portal, playback::songNumber(link));
}

} // namespace

void Form1::setUpPlayback() {
    Label9->setTextFormat(Qt::PlainText); // titles come from the portal
    connect(sBitBtn3, &QPushButton::clicked, this, &Form1::sBitBtn3Click);
    connect(sBitBtn4, &QPushButton::clicked, this, &Form1::sBitBtn4Click);
    connect(sBitBtn11, &QPushButton::clicked, this, &Form1::sBitBtn11Click);
    connect(sBitBtn1, &QPushButton::clicked, this, &Form1::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &Form1::sBitBtn2Click);
    connect(ListBox1, &TitleList::dblClick, this, &Form1::ListBox1DblClick);
    connect(sListBox1, &TitleList::dblClick, this, &Form1::sListBox1DblClick);
    connect(sListBox2, &TitleList::dblClick, this, &Form1::sListBox2DblClick);
    connect(Play1, &QAction::triggered, this, &Form1::Play1Click);
    connect(Play2, &QAction::triggered, this, &Form1::Play2Click);
    connect(WindowsMediaPlayer1, &MediaPlayer::CurrentItemChange, this,
            &Form1::WindowsMediaPlayer1CurrentItemChange);
    connect(WindowsMediaPlayer1, &MediaPlayer::StatusChange, this,
            &Form1::WindowsMediaPlayer1StatusChange);
    connect(WindowsMediaPlayer1, &MediaPlayer::MediaChange, this,
            &Form1::WindowsMediaPlayer1MediaChange);
    connect(Timer1, &QTimer::timeout, this, &Form1::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &Form1::Timer2Timer);

    connect(sBitBtn6, &QPushButton::clicked, this, &Form1::sBitBtn6Click);
    connect(sBitBtn7, &QPushButton::clicked, this, &Form1::sBitBtn7Click);
    sGauge1->installEventFilter(this);
    sGauge2->installEventFilter(this);
    // A screen reader sets a bar as a press at that place would.
    connect(sGauge1, &Gauge::valueRequested, this, &Form1::setVolumeLevel);
    connect(sGauge2, &Gauge::valueRequested, this, &Form1::seekToPercent);
    sGauge2->valueText = [this] {
        return QStringLiteral("%1 of %2").arg(Label16->text(), Label15->text());
    };

    connect(sBitBtn8, &QPushButton::clicked, this, &Form1::sBitBtn8Click);
    connect(sBitBtn9, &QPushButton::clicked, this, &Form1::sBitBtn9Click);
    connect(DownloadSong1, &QAction::triggered, this, &Form1::DownloadSong1Click);
    connect(CheckoutonQuorvell1, &QAction::triggered, this, &Form1::CheckoutonQuorvell1Click);
    connect(Download1, &QAction::triggered, this, &Form1::Download1Click);
    connect(CableDSLT11, &QAction::triggered, this, &Form1::CableDSLT11Click);
    connect(DialUp1, &QAction::triggered, this, &Form1::DialUp1Click);

    radioReopen_ = new QTimer(this);
    radioReopen_->setSingleShot(true);
    connect(radioReopen_, &QTimer::timeout, this, &Form1::reopenRadio);
}

Form1::ShownList Form1::shownList() {
    if (!ListBox1->isHidden())
        return {ListKind::SearchResults, ListBox1, &ListBox2};
    if (!sListBox1->isHidden())
        return {ListKind::OwnPlaylist, sListBox1, &ListBox3};
    return {ListKind::Favourites, sListBox2, &ListBox4};
}

// ---- Play control ----

// The play commands share one flag: a message box of one keeps the event loop
// running, and a tick, hotkey or tray command must not run another under it.
void Form1::sBitBtn3Click() {
    guardedOnce(playControlBusy_, [&] { play(); });
}

// The "Pause"/"Resume" toggle: exactly one of the two buttons shows, and the
// tick runs while "Pause" does.
void Form1::showPlaying(bool playing) {
    sBitBtn11->setVisible(!playing);
    sBitBtn4->setVisible(playing);
    if (playing)
        Timer2->start();
    else
        Timer2->stop();
}

void Form1::play() {
    showPlaying(true);
    forgetRadio();

    const ShownList shown = shownList();
    if (rows::selected(*shown.titles) < 0)
        shown.titles->setCurrentRow(0);
    if (shown.titles->count() == 0) {
        messages::plain(playMessage(shown.kind));
        return;
    }

    if (!Timer1->isActive())
        Timer1->start();
    // The player's taking up the new address starts the tick again.
    Timer2->stop();

    const int row = rows::selected(*shown.titles);
    Edit2 = linkAt(shown, row);
    playingTitle = shown.titles->item(row)->text();
    radioPlaying_ = false;
    WindowsMediaPlayer1->setUrl(downloadAddressOf(Edit2));
    SpinEdit4 = 1;
    setBar(*sGauge2, 0);
    Edit3 = WindowsMediaPlayer1->durationString();
    Label15->setText(Edit3);
}

void Form1::sBitBtn4Click() {
    guardedOnce(playControlBusy_, [&] {
        if (WindowsMediaPlayer1->playState() == MediaPlayer::PlayState::Undefined) {
            messages::plain(QStringLiteral("Please play a song first"));
            return;
        }
        WindowsMediaPlayer1->pause();
        showPlaying(false);
        forgetRadio();
    });
}

void Form1::sBitBtn11Click() {
    guardedOnce(playControlBusy_, [&] {
        WindowsMediaPlayer1->play();
        showPlaying(true);
    });
}

void Form1::sBitBtn1Click() {
    guardedOnce(playControlBusy_, [&] { step(+1); });
}

void Form1::sBitBtn2Click() {
    guardedOnce(playControlBusy_, [&] { step(-1); });
}

void Form1::step(int direction) {
    showPlaying(true);

    const ShownList shown = shownList();
    const int count = shown.titles->count();
    const int index = sCheckBox1->isChecked() ? playback::randomIndex(count)
                                              : rows::selected(*shown.titles) + direction;
    // An index outside the list clears the selection, so Play starts the
    // first entry: Next on the last entry wraps around.
    shown.titles->setCurrentRow(index < count ? index : -1);
    play();
}

void Form1::WindowsMediaPlayer1CurrentItemChange() {
    Timer2->stop();
    Timer2->start();
}

void Form1::WindowsMediaPlayer1StatusChange() {
    Label9->setText(WindowsMediaPlayer1->status());
    if (!radioUrl_.isEmpty() &&
        WindowsMediaPlayer1->playState() == MediaPlayer::PlayState::Stopped &&
        WindowsMediaPlayer1->url() == radioUrl_ && !radioReopen_->isActive())
        radioBrokeOff();
    // A song that has played to its end goes on at once rather than at the
    // next tick, up to a second later; the tick's own tests still decide. A
    // song that failed waits for the tick, so failures do not follow each
    // other faster than once a second.
    if (WindowsMediaPlayer1->ended() && Timer2->isActive()) {
        try {
            if (playback::lengthReadable(WindowsMediaPlayer1->durationString()) &&
                playback::positionPercent(WindowsMediaPlayer1->currentPosition(),
                                          WindowsMediaPlayer1->duration()))
                goOnAtEnd();
        } catch (const Error& e) {
            qCDebug(lcPlayer).noquote() << "end of song, player call failed:" << e.text();
        }
    }
}

void Form1::Timer1Timer() {
    Label9->setText(radioReopen_->isActive() ? QStringLiteral("Reconnecting...")
                                             : WindowsMediaPlayer1->name());
}

// A song's title waits for the two-second refresh; a stream's title changes
// while it plays and shows at once.
void Form1::WindowsMediaPlayer1MediaChange() {
    if (radioPlaying_ && !radioReopen_->isActive())
        Label9->setText(WindowsMediaPlayer1->name());
}

// ---- Position, seek and volume ----

void Form1::Timer2Timer() {
    // A failing player call ends the tick without a message: another tick
    // follows in a second.
    try {
        if (SpinEdit4 == 1) {
            SpinEdit4 = 0;
            SpinEdit8 = 0;
            SpinEdit9 = 0;
        }
        Edit3 = WindowsMediaPlayer1->durationString();
        Label15->setText(Edit3);
        ++SpinEdit8;
        if (!playback::lengthReadable(Edit3))
            return;
        const auto percent = playback::positionPercent(WindowsMediaPlayer1->currentPosition(),
                                                       WindowsMediaPlayer1->duration());
        if (!percent)
            return;
        setBar(*sGauge2, *percent);
        if (SpinEdit8 == 60) {
            ++SpinEdit9;
            SpinEdit8 = 0;
        }
        Label16->setText(playback::elapsedText(SpinEdit9, SpinEdit8));
        goOnAtEnd();
    } catch (const Error& e) {
        qCDebug(lcPlayer).noquote() << "tick ended early, player call failed:" << e.text();
    }
}

// The tick's last step: once the player has stopped, the next song.
void Form1::goOnAtEnd() {
    if (WindowsMediaPlayer1->playState() != MediaPlayer::PlayState::Stopped) {
        failedInARow_ = 0;
        return;
    }
    // With nothing to go on to, "Next" would show its message every second
    // for as long as the player stays stopped. When every entry has failed in
    // turn (no sound device, portal gone) going on would download the list
    // round and round.
    failedInARow_ = WindowsMediaPlayer1->failed() ? failedInARow_ + 1 : 0;
    const int count = shownList().titles->count();
    if (count == 0 || failedInARow_ >= count) {
        failedInARow_ = 0;
        Timer2->stop();
        return;
    }
    sBitBtn1Click();
}

void Form1::sBitBtn6Click() {
    guardedOnce(playControlBusy_, [&] { stepVolume(+10); });
}

void Form1::sBitBtn7Click() {
    guardedOnce(playControlBusy_, [&] { stepVolume(-10); });
}

// Bar and player each move from their own value; they are not brought into line.
void Form1::stepVolume(int step) {
    setBar(*sGauge1, qint64(sGauge1->value()) + step);
    WindowsMediaPlayer1->setVolume(WindowsMediaPlayer1->volume() + step);
}

void Form1::sGauge2MouseDown(int x) {
    guarded([&] {
        if (WindowsMediaPlayer1->playState() == MediaPlayer::PlayState::Undefined)
            return;
        positionDrag = true;
        seekTo(x);
    });
}

void Form1::sGauge2MouseMove(int x) {
    if (!positionDrag)
        return;
    guarded([&] {
        if (WindowsMediaPlayer1->playState() != MediaPlayer::PlayState::Undefined)
            seekTo(x);
    });
}

void Form1::sGauge2MouseUp() {
    positionDrag = false;
}

void Form1::seekTo(int x) {
    seekToBarPercent(playback::seekPercent(x, sGauge2->width()));
}

void Form1::seekToBarPercent(int percent) {
    setBar(*sGauge2, percent);
    WindowsMediaPlayer1->setCurrentPosition(WindowsMediaPlayer1->duration() * percent / 100);
}

// A press at the place of the bar that shows this value.
void Form1::seekToPercent(int percent) {
    guarded([&] {
        if (WindowsMediaPlayer1->playState() != MediaPlayer::PlayState::Undefined)
            seekToBarPercent(percent);
    });
}

// Within the song; a stream without a length has nowhere to go.
void Form1::seekBy(double seconds) {
    guarded([&] {
        const double length = WindowsMediaPlayer1->duration();
        if (length > 0)
            seekToSeconds(
                std::clamp(WindowsMediaPlayer1->currentPosition() + seconds, 0.0, length));
    });
}

void Form1::seekToSeconds(double seconds) {
    guarded([&] {
        if (WindowsMediaPlayer1->playState() == MediaPlayer::PlayState::Undefined)
            return;
        if (const auto percent =
                playback::positionPercent(seconds, WindowsMediaPlayer1->duration()))
            setBar(*sGauge2, *percent);
        WindowsMediaPlayer1->setCurrentPosition(seconds);
    });
}

void Form1::sGauge1MouseDown(int y) {
    volumeDrag = true;
    guarded([&] { setVolumeFrom(y); });
}

void Form1::sGauge1MouseMove(int y) {
    if (volumeDrag)
        guarded([&] { setVolumeFrom(y); });
}

void Form1::sGauge1MouseUp() {
    volumeDrag = false;
}

void Form1::setVolumeFrom(int y) {
    setVolumeLevel(playback::volumePercent(y, sGauge1->height()));
}

void Form1::setVolumeLevel(int volume) {
    guarded([&] {
        setBar(*sGauge1, volume);
        WindowsMediaPlayer1->setVolume(volume);
    });
}

// The pointer is taken relative to the bar itself, which is what the
// window-edge allowances of a fixed frame would approximate.
bool Form1::barMouseEvent(QObject* watched, QEvent* event) {
    const bool position = watched == sGauge2;
    if (!position && watched != sGauge1)
        return false;
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return false;
    const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
    if (type == QEvent::MouseButtonPress)
        position ? sGauge2MouseDown(at.x()) : sGauge1MouseDown(at.y());
    else if (type == QEvent::MouseMove)
        position ? sGauge2MouseMove(at.x()) : sGauge1MouseMove(at.y());
    else
        position ? sGauge2MouseUp() : sGauge1MouseUp();
    return true;
}

// With the focus on a bar: Left and Right seek 5 s, Home and End go to the
// song's start and end; Up and Down turn the volume as its buttons do.
bool Form1::barKeyEvent(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || (watched != sGauge1 && watched != sGauge2))
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
        return false;
    if (watched == sGauge1) {
        if (key->key() == Qt::Key_Up)
            sBitBtn6Click();
        else if (key->key() == Qt::Key_Down)
            sBitBtn7Click();
        else
            return false;
        return true;
    }
    constexpr double kKeySeekSeconds = 5;
    constexpr double kWholeSong = std::numeric_limits<double>::infinity();
    switch (key->key()) {
    case Qt::Key_Left:
        seekBy(-kKeySeekSeconds);
        return true;
    case Qt::Key_Right:
        seekBy(kKeySeekSeconds);
        return true;
    case Qt::Key_Home:
        seekBy(-kWholeSong);
        return true;
    case Qt::Key_End:
        seekBy(kWholeSong);
        return true;
    default:
        return false;
    }
}

// ---- Song page, download, radio ----

void Form1::sBitBtn9Click() {
    guardedOnce(playControlBusy_, [&] {
        const ShownList shown = shownList();
        if (const auto link = chosenLink(shown, checkOutMessage(shown.kind)))
            shell::openAddress(*link);
    });
}

void Form1::sBitBtn8Click() {
    guardedOnce(playControlBusy_, [&] {
        const ShownList shown = shownList();
        if (const auto link = chosenLink(shown, downloadMessage(shown.kind))) {
            Edit2 = *link;
            shell::openAddress(downloadAddressOf(Edit2));
        }
    });
}

// The stream plays at once; buttons, lists and selections stay as they are.
void Form1::CableDSLT11Click() {
    guardedOnce(playControlBusy_, [&] { playRadio(Servers::current().radioPort); });
}

void Form1::DialUp1Click() {
    guardedOnce(playControlBusy_, [&] { playRadio(Servers::current().radioDialUpPort); });
}

// The now-playing line follows the stream's titles also when the radio is
// the first thing played.
void Form1::playRadio(int port) {
    playingTitle.clear();
    forgetRadio();
    const QString url = Servers::current().radioAddress(port);
    WindowsMediaPlayer1->setUrl(url);
    radioUrl_ = url;
    radioPlaying_ = true;
    radioOpened_.start();
    if (!Timer1->isActive())
        Timer1->start();
}

// A song, another stream or "Pause" takes the place of the stream: it is not
// opened again.
void Form1::forgetRadio() {
    radioUrl_.clear();
    radioAttempts_ = 0;
    radioReopen_->stop();
}

// The pauses grow, so a server that is down is not hammered; a stream that
// ran well for a while before it broke off starts the count anew.
void Form1::radioBrokeOff() {
    if (radioOpened_.elapsed() >= 30LL * reconnectPauseMs)
        radioAttempts_ = 0;
    if (radioAttempts_ >= kReconnectAttempts) {
        radioUrl_.clear(); // the player's error text stays
        return;
    }
    Label9->setText(QStringLiteral("Reconnecting..."));
    radioReopen_->start(reconnectPauseMs << radioAttempts_);
    ++radioAttempts_;
}

void Form1::reopenRadio() {
    if (radioUrl_.isEmpty() || WindowsMediaPlayer1->url() != radioUrl_)
        return;
    // A play command's message box is open: try again once it may be closed.
    if (playControlBusy_) {
        radioReopen_->start(reconnectPauseMs);
        return;
    }
    guardedOnce(playControlBusy_, [&] {
        radioOpened_.start();
        try {
            WindowsMediaPlayer1->setUrl(radioUrl_);
        } catch (const Error&) {
            forgetRadio();
            throw;
        }
    });
}

} // namespace qv
