// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <optional>

class QWindow;

namespace qv::windowing {

// Where the desktop, not the program, decides where windows go (Wayland):
// move() is ignored, the pointer's screen position is unknown, and only a
// popup surface is placed, relative to its parent window.
bool desktopPlacesWindows();

// The window type of the genre check list. Where the program places its
// windows it is a frameless tool window; where the desktop does, a frameless
// tooltip-type window, which Qt makes a popup of its transient parent that
// takes no grab: it gets clicks like any window and outside clicks do not
// close it.
Qt::WindowFlags genreListFlags();

// Secondary windows name the main window as their transient parent where the
// desktop places windows, so it can put them over the main window. Nothing
// happens elsewhere: on X11 a transient parent changes how window managers
// treat a window. The parent is set when the window is shown, so windows that
// stay hidden get no native window.
void followMainWindow(QWidget& window, QWidget& main);

// The screen position of the last mouse click on a control, as the position
// to open something "at the pointer" where the pointer's own screen position
// is unknown (QCursor::pos() is 0,0 on Wayland). On Wayland the screen
// position of a mouse event is relative to the main window's own origin,
// which is exactly what a popup of the main window is placed by. A key press
// on the control forgets the click, so a keyboard toggle does not reuse it.
class ClickPosition : public QObject {
public:
    explicit ClickPosition(QWidget& control);

    // The position of the click that led here, once; empty after a key press
    // or when it has been taken already.
    std::optional<QPoint> take();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::optional<QPoint> position_;
};

// Keeps a popup of the main window open until the program hides it, where the
// desktop places windows. A compositor may dismiss a popup without a grab on
// its own (sway does when the main window loses the focus), and Qt drops it
// while the main window is hidden; both times it is opened again at the same
// place, so only the program decides when it closes. A desktop that dismisses
// it again at once wins: the popup stays closed rather than flicker.
class KeptPopup : public QObject {
public:
    // ending: true once the program is closing its windows for good.
    KeptPopup(QWidget& popup, QWidget& main, std::function<bool()> ending);

    // How many times the popup has been opened again; for tests.
    int reopened() const { return reopened_; }

    // A dismissal within this time of opening it again is the desktop's final word.
    static constexpr int kSettleMs = 1000;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void reopen();

    QWidget& popup_;
    QWidget& main_;
    std::function<bool()> ending_;
    QElapsedTimer sinceReopened_;
    bool pending_ = false;
    int reopened_ = 0;
};

} // namespace qv::windowing
