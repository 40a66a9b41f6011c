#pragma once

#include <QWidget>

namespace qv {

class Form1;

// The splash that covers the start-up update check: borderless, above other
// windows, centred on the desktop.
class Form3 : public QWidget {
    Q_OBJECT
public:
    explicit Form3(Form1& form1)
        : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
          form1_(form1) {
        setFixedSize(336, 174);
    }

private:
    [[maybe_unused]] Form1& form1_;
};

} // namespace qv
