#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The favourites import.
class Form17 : public QDialog {
    Q_OBJECT
public:
    explicit Form17(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Import Favorites"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
