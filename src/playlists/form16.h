#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The export window.
class Form16 : public QDialog {
    Q_OBJECT
public:
    explicit Form16(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Export playlist"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
