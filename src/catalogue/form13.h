// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "lazywindow.h"

#include <QListWidget>
#include <QPushButton>
#include <QStringList>
#include <QWidget>

namespace qv {

class Form1;
namespace windowing {
class KeptPopup;
}

// The genre check list for a search over several genres: a borderless
// window that the "more..." box shows beside the mouse pointer (on Wayland a
// popup of the main window, placed where "more..." was clicked). Its marks
// last while the program runs; hiding it keeps them.
class Form13 : public LazyWindow<QWidget> {
    Q_OBJECT
public:
    explicit Form13(Form1& form1);

    // "OK": hides the list and gives the main window back.
    void sBitBtn1Click();

    // The ticked genres, in list order.
    QStringList checkedGenres() const;

    Control<QListWidget> CheckListBox1{*this};
    Control<QPushButton> sBitBtn1{*this};
    // Where the desktop places windows: keeps the popup open; null elsewhere.
    windowing::KeptPopup* kept = nullptr;

private:
    void build() override;

    Form1& form1_;
};

} // namespace qv
