// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QListWidget>
#include <QMouseEvent>

namespace qv {

// A visible title list. Its double click counts wherever it lands: on a row,
// below the last one or in an empty list, so that the play command it
// presses can answer an empty list with its message.
class TitleList : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;

signals:
    void dblClick();

protected:
    // The view first takes the click (a click on another row selects it).
    void mouseDoubleClickEvent(QMouseEvent* event) override {
        QListWidget::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton)
            emit dblClick();
    }
};

} // namespace qv
