// SPDX-License-Identifier: GPL-3.0-or-later
#include "playcontrol.h"

#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace qv::playback {

QString songNumber(const QString& link) {
    static const QString mark = QStringLiteral("/listen/");
    const qsizetype at = link.indexOf(mark);
    // Without the mark the cut starts where it would after a mark at the
    // link's start: its 8th character.
    const qsizetype start = at < 0 ? mark.size() - 1 : at + mark.size();
    return link.mid(start, 7);
}

QString downloadAddress(const QString& portalBase, const QString& number) {
    return portalBase + QStringLiteral("/audio/download/") + number;
}

int randomIndex(int count) {
    static QRandomGenerator generator;
    generator.seed(quint32(std::chrono::high_resolution_clock::now().time_since_epoch().count()));
    return count > 0 ? int(generator.bounded(quint32(count))) : 0;
}

namespace {
bool readsAsNumber(const QString& text) {
    bool ok = false;
    text.trimmed().toInt(&ok);
    return ok;
}
} // namespace

bool lengthReadable(const QString& lengthText) {
    if (readsAsNumber(lengthText.mid(0, 2)) && readsAsNumber(lengthText.mid(3, 2)))
        return true;
    // From 100 minutes on the minutes take three characters or more.
    const qsizetype colon = lengthText.indexOf(QLatin1Char(':'));
    return colon > 2 &&
           std::all_of(lengthText.cbegin(), lengthText.cbegin() + colon,
                       [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }) &&
           readsAsNumber(lengthText.mid(colon + 1, 2));
}

std::optional<qint64> positionPercent(double position, double duration) {
    if (duration == 0)
        return std::nullopt;
    const double percent = std::nearbyint(100 * position / duration); // halves to even
    // Far outside the bar is as good as its end, and a cast must not overflow.
    if (!std::isfinite(percent))
        return std::nullopt;
    return qint64(std::clamp(percent, -1e6, 1e6));
}

QString elapsedText(qint64 minutes, qint64 seconds) {
    return QStringLiteral("%1:%2").arg(minutes).arg(seconds, 2, 10, QLatin1Char('0'));
}

int barValue(qint64 value) {
    return int(std::clamp<qint64>(value, 0, 100));
}

int seekPercent(int offset, int width) {
    return width > 0 ? int(qint64(offset) * 100 / width) : 0;
}

int volumePercent(int offsetFromTop, int height) {
    return height > 0 ? int((qint64(height) - offsetFromTop) * 100 / height) : 0;
}

} // namespace qv::playback
