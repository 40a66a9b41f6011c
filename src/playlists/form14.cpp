#include "form14.h"

#include "form1.h"

namespace qv {

Form14::Form14(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Login"));
    setFont(form1.font());
    resize(260, 110);
    connect(this, &QDialog::finished, &form1_, [this] { form1_.setEnabled(true); });
}

} // namespace qv
