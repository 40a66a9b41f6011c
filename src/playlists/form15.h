#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The prompt for an imported playlist's name.
class Form15 : public QDialog {
    Q_OBJECT
public:
    explicit Form15(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Playlist name"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
