// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "accessibility.h"

#include <QLabel>
#include <QMouseEvent>

namespace qv {

// A label that acts on a left click, for links drawn as plain text. To
// assistive technology it is a link that can be pressed.
class ClickLabel : public QLabel {
    Q_OBJECT
public:
    explicit ClickLabel(const QString& text, QWidget* parent = nullptr) : QLabel(text, parent) {
        setCursor(Qt::PointingHandCursor);
        accessibility::install();
    }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
            emit clicked();
        QLabel::mouseReleaseEvent(event);
    }
};

} // namespace qv
