// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The player's logging categories. Each failure the player keeps from the
// user on purpose leaves a line here; all are off by default and switched on
// with QT_LOGGING_RULES, e.g. QT_LOGGING_RULES="qv.*=true".
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcNet)      // "qv.net": transfers and refused addresses
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)   // "qv.player": the media engine and the tick
Q_DECLARE_LOGGING_CATEGORY(lcMpris)    // "qv.mpris": the media controls on the session bus
Q_DECLARE_LOGGING_CATEGORY(lcUpdate)   // "qv.update": the update check and installer
Q_DECLARE_LOGGING_CATEGORY(lcSettings) // "qv.settings": settings.ini and servers.ini
