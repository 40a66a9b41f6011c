// SPDX-License-Identifier: GPL-3.0-or-later
#include "gauge.h"

#include "accessibility.h"

#include <QPainter>

namespace qv {

Gauge::Gauge(QWidget* parent) : QProgressBar(parent) {
    accessibility::install();
    // Reached by Tab only: a press on the bar seeks or sets the volume and
    // leaves the focus where it was, as the buttons do.
    setFocusPolicy(Qt::TabFocus);
}

// A dotted black line over a white one, one pixel inside the edge: it shows on
// the navy fill and on the white groove alike, whatever the skin's colours.
void Gauge::paintEvent(QPaintEvent* event) {
    QProgressBar::paintEvent(event);
    if (!hasFocus())
        return;
    QPainter painter(this);
    const QRect frame = rect().adjusted(1, 1, -2, -2);
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(frame);
    painter.setPen(QPen(Qt::black, 1, Qt::DotLine));
    painter.drawRect(frame);
}

} // namespace qv
