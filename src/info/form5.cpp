// SPDX-License-Identifier: GPL-3.0-or-later
#include "form5.h"

#include "accessibility.h"
#include "form1.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

Form5::Form5(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Changelog"));
    setFont(form1.font());
}

void Form5::build() {
    Label1 = new QLabel(QStringLiteral("Whats New?"), this);
    RichEdit1 = new QPlainTextEdit(this);
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setMinimumSize(320, 200);
    accessibility::caption(Label1, RichEdit1);
    Button1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(RichEdit1);
    layout->addWidget(Button1, 0, Qt::AlignHCenter);
    connect(Button1, &QPushButton::clicked, this, &Form5::Button1Click);
}

void Form5::Button1Click() {
    close();
    form1_.setEnabled(true);
}

} // namespace qv
