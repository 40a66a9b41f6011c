// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "namewindow.h"

namespace qv {

class Form1;

// The prompt for a new playlist's name. The main window stays disabled while
// it is open; every way of closing it gives the main window back.
class Form12 : public NameWindow {
    Q_OBJECT
public:
    explicit Form12(Form1& form1);

    void sButton1Click(); // OK
    void sButton2Click(); // Cancel

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
