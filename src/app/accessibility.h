// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QLabel;
class QWidget;

namespace qv::accessibility {

// Presents the program's own controls to assistive technology: the bars as
// sliders whose value can be set (Gauge), the clickable labels as links that
// can be pressed (ClickLabel). Idempotent; the controls call it themselves.
void install();

// Ties a caption to the field it names: a screen reader reads the caption,
// without a trailing colon, as the field's name. A drop-down's own name
// would be its text, so the name is given rather than left to the label.
void caption(QLabel* label, QWidget* field);

} // namespace qv::accessibility
