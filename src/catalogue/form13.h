#pragma once

#include <QPushButton>
#include <QWidget>

namespace qv {

class Form1;

// The genre check list for a search over several genres: a borderless
// window that the "more..." box shows beside the mouse pointer.
class Form13 : public QWidget {
    Q_OBJECT
public:
    explicit Form13(Form1& form1);

    // "OK": hides the list and gives the main window back.
    void sBitBtn1Click();

    QPushButton* sBitBtn1;

private:
    Form1& form1_;
};

} // namespace qv
