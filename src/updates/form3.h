// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QWidget>

class QLabel;
class QProgressBar;

namespace qv {

class Form1;

// The splash that covers the start-up update check: borderless, above other
// windows, centred on the desktop. The check compares the installed version
// marker with the update server's and shows the outcome in the main window's
// bottom strip.
class Form3 : public LazyWindow<QWidget> {
    Q_OBJECT
public:
    explicit Form3(Form1& form1);

    Control<QLabel> sLabelFX1{*this};     // status
    Control<QProgressBar> sGauge1{*this}; // per cent

    // Shows the splash and runs the check.
    void FormCreate();
    // The splash's two steps sit behind hidden buttons, never shown, so each
    // step has one entry point of its own.
    // The check: fetches the server's changelog and version marker, then
    // compares. It gives up on the server after kCheckLimitMs in all.
    void Button1Click();
    // The comparison (throws Error when a marker file cannot be read).
    void Button2Click();

    static constexpr int kCheckLimitMs = 4500;
    // The gauge's run to 100 goes in steps of this many milliseconds, and
    // without a check the splash holds twice for settlePauseMs; tests
    // shorten both, as every start shows the splash.
    static inline int gaugeStepMs = 1;
    static inline int settlePauseMs = 100;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
