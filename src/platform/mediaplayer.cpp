// SPDX-License-Identifier: GPL-3.0-or-later
#include "mediaplayer.h"

#include <algorithm>
#include <cmath>

namespace qv {

QString MediaPlayer::formatDuration(double seconds) {
    if (!std::isfinite(seconds) || seconds <= 0)
        return {};
    // Capped so that an absurd length cannot overflow the whole-second count.
    const auto whole = static_cast<qint64>(std::floor(std::min(seconds, 1e12)));
    return QStringLiteral("%1:%2")
        .arg(whole / 60, 2, 10, QLatin1Char('0'))
        .arg(whole % 60, 2, 10, QLatin1Char('0'));
}

} // namespace qv
