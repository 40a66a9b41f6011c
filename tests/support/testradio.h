// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "form1.h"

#include <QTimer>

// Whether the main window counts down to something of its own beyond its two
// ticks: after the radio gave up, that would be one more reopening.
inline bool pauseRunning(const qv::Form1& form1) {
    for (const QTimer* timer : form1.findChildren<QTimer*>(Qt::FindDirectChildrenOnly)) {
        if (timer != form1.Timer1 && timer != form1.Timer2 && timer->isActive())
            return true;
    }
    return false;
}
