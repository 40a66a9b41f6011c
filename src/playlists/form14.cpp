// SPDX-License-Identifier: GPL-3.0-or-later
#include "form14.h"

#include "boundary.h"
#include "form1.h"
#include "inifile.h"
#include "settingkeys.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>

namespace qv {

Form14::Form14(Form1& form1)
    : NameWindow(QStringLiteral("Login"), QStringLiteral("Please enter your Quorvell name:"),
                 form1),
      form1_(form1) {
    // Cancel, Escape and the title bar all end here.
    connect(this, &QDialog::finished, &form1_, [this] { form1_.setEnabled(true); });
}

void Form14::build() {
    NameWindow::build();
    sCheckBox1 = new QCheckBox(QStringLiteral("Remember this Name"), this);
    addBelowField(sCheckBox1);
    connect(sButton1, &QPushButton::clicked, this, &Form14::sButton1Click);
    connect(sButton2, &QPushButton::clicked, this, &Form14::sButton2Click);
}

void Form14::showEvent(QShowEvent* event) {
    NameWindow::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form14::FormShow() {
    guarded([&] {
        const IniFile ini = IniFile::settings();
        sEdit1->setText(settings::read(ini, settings::kLoginName));
        sCheckBox1->setChecked(settings::read(ini, settings::kAutologinInLoginWindow));
    });
}

void Form14::sButton1Click() {
    form1_.favouritesCommand([&] {
        IniFile ini = IniFile::settings();
        settings::write(ini, settings::kAutologinInLoginWindow, sCheckBox1->isChecked());
        form1_.GetFavsExecute(sEdit1->text());
        form1_.setEnabled(true);
        settings::write(ini, settings::kLoginName,
                        sCheckBox1->isChecked() ? sEdit1->text() : QString());
        close();
    });
}

void Form14::sButton2Click() {
    close();
}

} // namespace qv
