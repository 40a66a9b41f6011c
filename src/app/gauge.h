// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProgressBar>
#include <QString>
#include <functional>

namespace qv {

// A bar that the user sets by pressing on it (the position and volume bars).
// It looks like a progress bar; to assistive technology it is a slider whose
// value can be set, and with the keyboard focus it shows a focus frame. The
// window decides what a press, a key or a requested value does.
class Gauge : public QProgressBar {
    Q_OBJECT
public:
    explicit Gauge(QWidget* parent = nullptr);

    // What the value means in words ("0:42 of 03:05"), asked for when a
    // screen reader reads the bar; unset, the number is read.
    std::function<QString()> valueText;

signals:
    // Assistive technology asks for this value, within the bar's range.
    void valueRequested(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace qv
