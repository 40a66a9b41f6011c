// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "namewindow.h"

namespace qv {

class Form1;

// The name for a playlist file being imported (chosen in the main window's
// open dialog).
class Form15 : public NameWindow {
    Q_OBJECT
public:
    explicit Form15(Form1& form1);

    void sButton1Click(); // OK
    void sButton2Click(); // Cancel

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
