// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "paths.h"
#include "textfile.h"

#include <QPlainTextEdit>

namespace qv {

// Fills a text box with the changelog the last update check downloaded.
// Throws Error when it cannot be read; the box then keeps its text.
inline void loadChangelog(QPlainTextEdit& box) {
    const QString changelog =
        text::display(text::loadFile(paths::workFile(QStringLiteral("updater/changelog.txt"))));
    box.clear();
    box.setPlainText(changelog);
}

} // namespace qv
