#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The changelog viewer.
class Form5 : public QDialog {
    Q_OBJECT
public:
    explicit Form5(Form1& form1) : form1_(form1) { setWindowTitle(QStringLiteral("Changelog")); }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
