// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>

namespace qv {

// The program's picture at any size: a play sign on a round navy face. It
// serves as the window and tray icon, on the splash and in the about box.
QPixmap programPicture(int size);

} // namespace qv
