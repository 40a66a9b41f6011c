#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The about box.
class AboutBox : public QDialog {
    Q_OBJECT
public:
    explicit AboutBox(Form1& form1) : form1_(form1) { setWindowTitle(QStringLiteral("About")); }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
