// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QTimer>

// Runs the application's event loop until something quits it; 99 when the
// bound runs out first. Later event loops run as usual once it has returned.
inline int runEventLoop(int boundMs) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(boundMs);
    return QCoreApplication::exec();
}

// An exit() while no application loop runs (from a nested loop) leaves the
// thread quitting: every later event loop returns at once. Running the
// application's loop once ends that state.
inline void leaveQuitting() {
    QTimer exit;
    exit.setSingleShot(true);
    QObject::connect(&exit, &QTimer::timeout, [] { QCoreApplication::exit(0); });
    exit.start(0);
    QCoreApplication::exec();
}
