#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The installer download.
class Form10 : public QDialog {
    Q_OBJECT
public:
    explicit Form10(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Update manager"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
