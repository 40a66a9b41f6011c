// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace qv::accessibility {

// Presents the program's own controls to assistive technology: the bars as
// sliders whose value can be set (Gauge), the clickable labels as links that
// can be pressed (ClickLabel). Idempotent; the controls call it themselves.
void install();

} // namespace qv::accessibility
