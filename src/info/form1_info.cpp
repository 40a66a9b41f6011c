// The main window's information entries: the "Help" menu and the credit link.
#include "aboutbox.h"
#include "clicklabel.h"
#include "error.h"
#include "form1.h"
#include "form5.h"
#include "paths.h"
#include "secondarywindows.h"
#include "servers.h"
#include "shell.h"
#include "showwindow.h"
#include "textfile.h"

#include <QAction>
#include <QPlainTextEdit>

namespace qv {

void Form1::setUpInfo() {
    connect(Changelog1, &QAction::triggered, this, &Form1::Changelog1Click);
    connect(Contact1, &QAction::triggered, this, &Form1::Contact1Click);
    connect(About1, &QAction::triggered, this, &Form1::About1Click);
    connect(sLabelFX2, &ClickLabel::clicked, this, &Form1::sLabelFX2Click);
}

void Form1::Changelog1Click() {
    guarded([&] {
        // Read first: a missing file shows no window.
        const QString changelog =
            text::loadFile(paths::workFile(QStringLiteral("updater/changelog.txt")));
        Form5& window = *windows.form5;
        window.RichEdit1->clear();
        window.RichEdit1->setPlainText(text::display(changelog));
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
