#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The favourites login.
class Form14 : public QDialog {
    Q_OBJECT
public:
    explicit Form14(Form1& form1) : form1_(form1) { setWindowTitle(QStringLiteral("Login")); }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
