#include "form13.h"

#include "form1.h"

namespace qv {

Form13::Form13(Form1& form1)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::Tool),
      sBitBtn1(new QPushButton(QStringLiteral("OK"), this)), form1_(form1) {
    setFixedSize(137, 435);
    sBitBtn1->setGeometry(0, 410, 138, 28);
    connect(sBitBtn1, &QPushButton::clicked, this, &Form13::sBitBtn1Click);
}

void Form13::sBitBtn1Click() {
    hide();
    form1_.setEnabled(true);
}

} // namespace qv
