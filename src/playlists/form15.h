#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

namespace qv {

class Form1;

// The name for a playlist file being imported (chosen in the main window's
// open dialog).
class Form15 : public QDialog {
    Q_OBJECT
public:
    explicit Form15(Form1& form1);

    void sButton1Click(); // OK
    void sButton2Click(); // Cancel

    QLineEdit* sEdit1;
    QPushButton* sButton1;
    QPushButton* sButton2;

private:
    Form1& form1_;
};

} // namespace qv
