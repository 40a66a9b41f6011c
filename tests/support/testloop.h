#pragma once

#include <QCoreApplication>
#include <QTimer>

// Runs the application's event loop until something quits it; 99 when the
// bound runs out first. Once the application has been told to quit, every
// later event loop of the process returns at once, so tests that call this
// run last.
inline int runEventLoop(int boundMs) {
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    watchdog.start(boundMs);
    return QCoreApplication::exec();
}
