#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The favourites login. However it closes, the main window is usable again.
class Form14 : public QDialog {
    Q_OBJECT
public:
    explicit Form14(Form1& form1);

private:
    Form1& form1_;
};

} // namespace qv
