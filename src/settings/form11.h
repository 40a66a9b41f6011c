#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The settings window.
class Form11 : public QDialog {
    Q_OBJECT
public:
    explicit Form11(Form1& form1) : form1_(form1) { setWindowTitle(QStringLiteral("Settings")); }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
