// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "namewindow.h"

namespace qv {

class Form1;

// Saves the favourites as a new own playlist and shows it.
class Form17 : public NameWindow {
    Q_OBJECT
public:
    explicit Form17(Form1& form1);

    void sButton1Click(); // OK
    void sButton2Click(); // Cancel

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
