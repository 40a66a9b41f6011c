// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWindow>
#include <functional>

namespace qv::x11 {

// Runs 'then' once Qt's X11 connection has seen the X server's current time
// (a property change on the window comes back with it); at once on other
// platforms. A window activated with the time of the player's last input is
// refused once the user has given another program the focus since: the X
// server ignores a focus change older than the last one, and window managers
// take it for focus stealing. Gives up waiting after a short while.
void afterServerTime(QWindow& window, std::function<void()> then);

} // namespace qv::x11
