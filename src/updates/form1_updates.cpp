// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's share of the updates: the indicators of the start-up
// check in the bottom strip.
#include "boundary.h"
#include "changelog.h"
#include "form1.h"
#include "form9.h"
#include "messages.h"
#include "secondarywindows.h"
#include "servers.h"
#include "showwindow.h"

#include <QPushButton>

namespace qv {

void Form1::setUpUpdates() {
    connect(sButton5, &QPushButton::clicked, this, &Form1::sButton5Click);
    connect(sButton7, &QPushButton::clicked, this, &Form1::sButton7Click);
}

void Form1::sButton5Click() {
    guarded([&] {
        Form9& notifier = *windows.form9;
        loadChangelog(*notifier.RichEdit1);
        setEnabled(false);
        showCentred(notifier);
    });
}

void Form1::sButton7Click() {
    messages::information(
        QStringLiteral("Couldnt connect to server. Please check your firewall or your Internet "
                       "connection. In case the server is down, please contact me. (") +
        Servers::current().secondMail + QStringLiteral(")"));
}

} // namespace qv
