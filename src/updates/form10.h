// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace qv {

class Form1;
class HttpGet;

// The update manager: downloads the installer into "update.exe" in the
// working directory with a progress gauge, then hands it to the desktop and
// ends the player.
class Form10 : public LazyWindow<QDialog> {
    Q_OBJECT
public:
    explicit Form10(Form1& form1);

    Control<QLabel> Label1{*this};
    Control<QProgressBar> sGauge1{*this};
    Control<QPushButton> Button1{*this}; // Cancel
    Control<QPushButton> Button2{*this}; // Install, in Cancel's place once the download is complete
    QTimer* Timer1;                      // starts the download a second after the window shows

    // The pause before the download starts, and the one more before its
    // first request, in which the window paints; tests shorten them.
    int startPauseMs = 1000;
    int paintPauseMs = 1000;

    void FormShow();
    void Timer1Timer();
    void Button3Click(); // the download: a hidden button, the one entry point Timer1 presses
    void Button2Click(); // Install
    void Button1Click(); // Cancel
    void FormClose();

    // A transfer began and ended successfully with every announced byte
    // stored in "update.exe", and the installer's signature verified with
    // one of the update keys. Nothing else ever starts the installer.
    bool downloadComplete() const { return complete_; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void build() override;
    void IdHTTP1WorkBegin(qint64 total);
    void IdHTTP1Work(qint64 received);
    void IdHTTP1WorkEnd();
    void install();

    Form1& form1_;
    HttpGet* IdHTTP1;
    qint64 total_ = 0; // announced at the transfer's beginning; -1 when unknown
    bool complete_ = false;
    bool downloading_ = false;
    bool installing_ = false; // the player is ending: closing is no longer a decision
};

} // namespace qv
