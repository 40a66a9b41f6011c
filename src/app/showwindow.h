// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qv {

// Shows a window in the middle of the desktop, or brings it forward when it
// is open already.
inline void showCentred(QWidget& window) {
    if (!window.isVisible()) {
        // Measured with its controls, which it may not have made yet.
        if (auto* lazy = dynamic_cast<LazyControls*>(&window))
            lazy->ensureBuilt();
        if (window.layout())
            window.adjustSize();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            window.move(screen->availableGeometry().center() - window.rect().center());
    }
    window.show();
    window.raise();
    window.activateWindow();
}

} // namespace qv
