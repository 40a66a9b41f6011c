// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QEventLoop>
#include <QTimer>

namespace qv {

// Waits while the windows keep painting; user input waits until it returns,
// so no handler can start meanwhile. Returns at once when the application is
// quitting.
inline void waitPainting(int milliseconds) {
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

} // namespace qv
