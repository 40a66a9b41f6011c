#pragma once

#include <QDialog>

namespace qv {

class Form1;

// The prompt for a new playlist's name.
class Form12 : public QDialog {
    Q_OBJECT
public:
    explicit Form12(Form1& form1) : form1_(form1) {
        setWindowTitle(QStringLiteral("Playlist name"));
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
