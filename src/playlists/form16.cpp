// SPDX-License-Identifier: GPL-3.0-or-later
#include "form16.h"

#include "accessibility.h"
#include "boundary.h"
#include "form1.h"
#include "listrows.h"
#include "playliststore.h"
#include "textfile.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace qv {

using playlist::Base;

Form16::Form16(Form1& form1) : form1_(form1) {
    setWindowTitle(QStringLiteral("Export playlist"));
    setFont(form1.font());
}

void Form16::build() {
    sComboBox1 = new QComboBox(this);
    sBitBtn1 = new QPushButton(QStringLiteral("OK"), this);
    sBitBtn2 = new QPushButton(QStringLiteral("Cancel"), this);
    sComboBox1->setEditable(true);
    sComboBox1->setInsertPolicy(QComboBox::NoInsert);
    sComboBox1->setMinimumWidth(220);
    sBitBtn1->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    auto* label = new QLabel(QStringLiteral("Select the playlist, you want to export:"), this);
    accessibility::caption(label, sComboBox1);
    layout->addWidget(label);
    layout->addWidget(sComboBox1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(sBitBtn1);
    buttons->addWidget(sBitBtn2);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(sBitBtn1, &QPushButton::clicked, this, &Form16::sBitBtn1Click);
    connect(sBitBtn2, &QPushButton::clicked, this, &Form16::sBitBtn2Click);
}

void Form16::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form16::FormShow() {
    guarded([&] { form1_.loadNames(); });
    const QStringList names = text::lines(form1_.playlists);
    rows::setItems(*sComboBox1, names);
    sComboBox1->setEditText(text::display(names.value(0)));
}

void Form16::sBitBtn1Click() {
    guarded([&] {
        if (!form1_.SaveDialog1.execute(this))
            return;
        const QByteArray bytes = playlist::loadBytes(Base::Exe, rows::holder(*sComboBox1));
        text::writeBytes(form1_.SaveDialog1.fileName, bytes);
    });
    close();
}

void Form16::sBitBtn2Click() {
    close();
}

} // namespace qv
