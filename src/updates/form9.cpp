// SPDX-License-Identifier: GPL-3.0-or-later
#include "form9.h"

#include "accessibility.h"
#include "form1.h"
#include "secondarywindows.h"
#include "showwindow.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace qv {

Form9::Form9(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Update notifier"));
    setFont(form1.font());
    // "Cancle", "Install ", Escape and the title bar all end here.
    connect(this, &QDialog::finished, &form1_, [this] { form1_.setEnabled(true); });
}

void Form9::build() {
    Label2 = new QLabel(QStringLiteral("New Update detected!"), this);
    Label1 = new QLabel(QStringLiteral("Whats New?"), this);
    RichEdit1 = new QPlainTextEdit(this);
    Button2 = new QPushButton(QStringLiteral("Install "), this);
    Button1 = new QPushButton(QStringLiteral("Cancle"), this);
    QFont larger = font();
    larger.setPixelSize(font().pixelSize() + 3);
    larger.setBold(true);
    Label2->setFont(larger);
    RichEdit1->setReadOnly(true);
    RichEdit1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RichEdit1->setMinimumSize(320, 180);
    accessibility::caption(Label1, RichEdit1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Label1);
    layout->addWidget(RichEdit1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button2);
    buttons->addStretch();
    buttons->addWidget(Button1);
    layout->addLayout(buttons);

    connect(Button2, &QPushButton::clicked, this, &Form9::Button2Click);
    connect(Button1, &QPushButton::clicked, this, &Form9::Button1Click);
}

void Form9::Button2Click() {
    close();
    if (form1_.windows.form10)
        showCentred(*form1_.windows.form10);
}

void Form9::Button1Click() {
    close();
    form1_.setEnabled(true);
}

} // namespace qv
