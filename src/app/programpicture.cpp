// SPDX-License-Identifier: GPL-3.0-or-later
#include "programpicture.h"

#include <QPainter>

namespace qv {

QPixmap programPicture(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 64.0, size / 64.0);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 128));
    painter.drawEllipse(2, 2, 60, 60);
    painter.setBrush(Qt::white);
    const QPointF play[] = {{25, 17}, {49, 32}, {25, 47}};
    painter.drawPolygon(play, 3);
    return pixmap;
}

} // namespace qv
