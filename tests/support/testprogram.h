// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "fakemediaplayer.h"
#include "form1.h"
#include "form10.h"
#include "form3.h"
#include "messagerecorder.h"
#include "program.h"
#include "shell.h"
#include "testinstall.h"

#include <QObject>
#include <QStringList>
#include <QUrl>

#include <memory>

// The page address of the portal's song number n, as the built-in portal
// address gives it.
inline QString songLink(int n) {
    return QStringLiteral("http://www.quorvell.example/listen/%1/").arg(n, 7, 10, QLatin1Char('0'));
}

// The installation most handler tests start from: no start report, and every
// server at the portal when one is given.
inline std::unique_ptr<TestInstall> quietInstall(const demo::Portal* portal = nullptr) {
    auto install = std::make_unique<TestInstall>();
    if (portal)
        install->usePortal(*portal);
    install->writeSettings({"[General]", "Reportstarts=0"});
    return install;
}

// The program started with the scripted player (handed out through player)
// and without the update check.
inline std::unique_ptr<qv::Form1> startWithFakePlayer(qv::FakeMediaPlayer** player = nullptr) {
    auto fake = std::make_unique<qv::FakeMediaPlayer>();
    if (player)
        *player = fake.get();
    return qv::startProgram(std::move(fake), qv::UpdateCheck::Skip);
}

// The splash's and the update manager's pauses are there for the eye; tests
// shorten them to what still lets the events of each step run.
inline void shortenSplashPauses() {
    qv::Form3::gaugeStepMs = 0;
    qv::Form3::settlePauseMs = 10;
}
inline void shortenUpdateManagerPauses(qv::Form1& form1) {
    form1.windows.form10->startPauseMs = 10;
    form1.windows.form10->paintPauseMs = 10;
}

// What a test of the running program keeps between init() and cleanup(): its
// installation, the message recorder and the main window.
class ProgramTest : public QObject {
protected:
    std::unique_ptr<TestInstall> install_;
    std::unique_ptr<qv::MessageRecorder> messages_;
    std::unique_ptr<qv::Form1> form1_;

    // In the reverse order of their making: the window may still show a
    // message or write into the installation while it closes.
    void endProgram() {
        form1_.reset();
        messages_.reset();
        install_.reset();
    }
};

// Takes what the program hands to the desktop's "open" while it lives.
class OpenRecorder {
public:
    OpenRecorder()
        : previous_(qv::shell::setOpener([this](const QUrl& url) {
              opened << url.toString();
              return true;
          })) {}
    ~OpenRecorder() { qv::shell::setOpener(previous_); }
    OpenRecorder(const OpenRecorder&) = delete;
    OpenRecorder& operator=(const OpenRecorder&) = delete;

    QStringList opened;

private:
    qv::shell::Opener previous_;
};
