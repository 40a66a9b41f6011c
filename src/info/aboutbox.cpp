// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutbox.h"

#include "clicklabel.h"
#include "form1.h"
#include "programpicture.h"
#include "servers.h"
#include "shell.h"
#include "version.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

namespace qv {

AboutBox::AboutBox(Form1& form1) {
    setWindowTitle(QStringLiteral("About"));
    setFont(form1.font());
}

void AboutBox::build() {
    Image1 = new ClickLabel(QString(), this);
    ProductName = new QLabel(QStringLiteral("Quorvell Music Player"), this);
    Version = new QLabel(QStringLiteral(QV_VERSION), this);
    Label1 = new QLabel(QStringLiteral("Homepage: "), this);
    sLabelFX1 = new ClickLabel(Servers::current().homepage, this);
    Label3 = new QLabel(QStringLiteral("Contact:"), this);
    sLabelFX2 = new ClickLabel(Servers::current().contactMail, this);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    Image1->setPixmap(programPicture(113));
    Image1->setFixedSize(113, 113);
    Image1->setAccessibleName(QStringLiteral("Maker's page on Quorvell"));
    QFont product = font();
    product.setBold(true);
    product.setPixelSize(font().pixelSize() + 4);
    ProductName->setFont(product);
    // In the skin's link colour, also after the skin changes.
    for (ClickLabel* link : {sLabelFX1, sLabelFX2})
        link->setForegroundRole(QPalette::Link);
    OKButton->setDefault(true);

    auto* layout = new QGridLayout(this);
    layout->addWidget(Image1, 0, 0, 6, 1, Qt::AlignTop);
    layout->addWidget(ProductName, 0, 1);
    layout->addWidget(Version, 1, 1);
    layout->addWidget(Label1, 2, 1);
    layout->addWidget(sLabelFX1, 3, 1);
    layout->addWidget(Label3, 4, 1);
    layout->addWidget(sLabelFX2, 5, 1);
    layout->addWidget(OKButton, 6, 0, 1, 2, Qt::AlignHCenter);
    layout->setSizeConstraint(QLayout::SetFixedSize); // a fixed dialog frame

    connect(Image1, &ClickLabel::clicked, this, &AboutBox::Image1Click);
    connect(sLabelFX1, &ClickLabel::clicked, this, &AboutBox::sLabelFX1Click);
    connect(sLabelFX2, &ClickLabel::clicked, this, &AboutBox::sLabelFX2Click);
    connect(OKButton, &QPushButton::clicked, this, &AboutBox::OKButtonClick);
}

void AboutBox::Image1Click() {
    shell::openAddress(Servers::current().makerPage);
}

void AboutBox::sLabelFX1Click() {
    shell::openAddress(Servers::current().makerPage);
}

void AboutBox::sLabelFX2Click() {
    shell::openAddress(QStringLiteral("mailto:") + Servers::current().secondMail);
}

void AboutBox::OKButtonClick() {
    close();
}

} // namespace qv
