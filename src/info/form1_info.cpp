// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's information entries: the "Help" menu and the credit link.
#include "aboutbox.h"
#include "boundary.h"
#include "changelog.h"
#include "clicklabel.h"
#include "form1.h"
#include "form5.h"
#include "secondarywindows.h"
#include "servers.h"
#include "shell.h"
#include "showwindow.h"

#include <QAction>

namespace qv {

namespace {
const QColor kCreditColour(205, 213, 222); // light grey-blue
} // namespace

void Form1::setUpInfo() {
    // The credit link's own colour, in every colour group: a
    // widget's own palette role outlasts the skins' application palette.
    QPalette credit = sLabelFX2->palette();
    credit.setColor(QPalette::WindowText, kCreditColour);
    sLabelFX2->setPalette(credit);
    connect(Changelog1, &QAction::triggered, this, &Form1::Changelog1Click);
    connect(Contact1, &QAction::triggered, this, &Form1::Contact1Click);
    connect(About1, &QAction::triggered, this, &Form1::About1Click);
    connect(sLabelFX2, &ClickLabel::clicked, this, &Form1::sLabelFX2Click);
}

void Form1::Changelog1Click() {
    guarded([&] {
        Form5& window = *windows.form5;
        loadChangelog(*window.RichEdit1); // a missing file shows no window
        showCentred(window);
    });
}

void Form1::Contact1Click() {
    shell::openAddress(QStringLiteral("mailto:") + Servers::current().contactMail);
}

void Form1::About1Click() {
    showCentred(*windows.aboutBox);
}

void Form1::sLabelFX2Click() {
    shell::openAddress(Servers::current().homepage);
}

} // namespace qv
