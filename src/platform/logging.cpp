// SPDX-License-Identifier: GPL-3.0-or-later
#include "logging.h"

// Every line is a debug line: nothing shows unless a rule switches it on.
Q_LOGGING_CATEGORY(lcNet, "qv.net", QtWarningMsg)
Q_LOGGING_CATEGORY(lcPlayer, "qv.player", QtWarningMsg)
Q_LOGGING_CATEGORY(lcMpris, "qv.mpris", QtWarningMsg)
Q_LOGGING_CATEGORY(lcUpdate, "qv.update", QtWarningMsg)
Q_LOGGING_CATEGORY(lcSettings, "qv.settings", QtWarningMsg)
