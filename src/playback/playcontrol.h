// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <optional>

// The arithmetic of playing a song: the song number in a link, the download
// address, the random order, the position tick and the two bars (widget-free).
namespace qv::playback {

// The 7 characters after the first "/listen/" of a song link (fewer where the
// link ends sooner). A link without "/listen/" gives its 8th to 14th characters.
QString songNumber(const QString& link);

// The portal's download address of a song number.
QString downloadAddress(const QString& portalBase, const QString& number);

// A whole number from 0 to count - 1, each equally likely; 0 for an empty
// list. The generator is seeded anew from the high-resolution clock each time.
int randomIndex(int count);

// Whether a length text reads as minutes (characters 1-2) and seconds
// (characters 4-5), as "MM:SS" does, or, from 100 minutes on, as all the
// digits before the colon and the two after it ("100:00", "600:00").
bool lengthReadable(const QString& lengthText);

// 100 x position / duration, rounded half to even; nothing for a length of 0
// or a result that is not a number.
std::optional<qint64> positionPercent(double position, double duration);

// "M:SS": the seconds get a leading "0" below 10 (0:07, 3:45, 12:00, 1:63).
QString elapsedText(qint64 minutes, qint64 seconds);

// A bar shows 0 to 100; values outside show as the nearer end.
int barValue(qint64 value);

// The percentage of a press offset along a bar, truncated toward zero. Not
// limited: offsets beyond the bar give values below 0 or above 100.
int seekPercent(int offset, int width);
// The volume bar fills upwards: the top edge gives 100, the bottom edge 0.
int volumePercent(int offsetFromTop, int height);

} // namespace qv::playback
