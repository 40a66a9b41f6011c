#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The update offer.
class Form9 : public QDialog {
    Q_OBJECT
public:
    explicit Form9(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Update notifier"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
