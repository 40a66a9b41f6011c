// SPDX-License-Identifier: GPL-3.0-or-later
#include "form3.h"

#include "accessibility.h"
#include "boundary.h"
#include "form1.h"
#include "inifile.h"
#include "logging.h"
#include "paths.h"
#include "programpicture.h"
#include "servers.h"
#include "settingkeys.h"
#include "textfile.h"
#include "wait.h"
#include "webtransfer.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>

namespace qv {

namespace {
const QColor kStatusColour(205, 213, 222);

void processEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}
} // namespace

Form3::Form3(Form1& form1)
    : LazyWindow(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      form1_(form1) {
    setFixedSize(336, 174);
    setFont(form1.font());
}

void Form3::build() {
    sLabelFX1 = new QLabel(QStringLiteral("Checking for updates..."), this);
    sGauge1 = new QProgressBar(this);

    QFont status = font();
    status.setPixelSize(14);
    sLabelFX1->setFont(status);
    QPalette palette = sLabelFX1->palette();
    palette.setColor(QPalette::WindowText, kStatusColour);
    sLabelFX1->setPalette(palette);
    sLabelFX1->setGeometry(12, 142, 200, 22);

    sGauge1->setRange(0, 100);
    sGauge1->setValue(0);
    sGauge1->setFormat(QStringLiteral("%v%"));
    sGauge1->setGeometry(224, 144, 100, 18);
    accessibility::caption(sLabelFX1, sGauge1);
}

void Form3::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient sky(0, 0, 0, height());
    sky.setColorAt(0, QColor(22, 38, 74));
    sky.setColorAt(1, QColor(6, 12, 28));
    painter.fillRect(rect(), sky);
    painter.drawPixmap(20, 24, programPicture(72));
    painter.setPen(Qt::white);
    QFont title = font();
    title.setPixelSize(22);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRect(104, 30, 224, 30), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Quorvell"));
    title.setPixelSize(15);
    title.setBold(false);
    painter.setFont(title);
    painter.setPen(kStatusColour);
    painter.drawText(QRect(104, 62, 224, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Radio Player"));
}

void Form3::FormCreate() {
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    show();
    raise();
    processEvents(); // the main window and the splash appear before the check blocks
    Button1Click();
}

void Form3::Button1Click() {
    guarded([&] {
        if (!settings::read(IniFile::settings(), settings::kCheckForUpdates)) {
            processEvents();
            sGauge1->setValue(50);
            processEvents();
            waitPainting(settlePauseMs);
            processEvents();
            sGauge1->setValue(100);
            processEvents();
            waitPainting(settlePauseMs);
            close();
            form1_.Image2->show();
            form1_.sBitBtn10->show();
            return;
        }
        // An update server that never answers must not hold the start-up.
        const QDeadlineTimer deadline(kCheckLimitMs);
        if (WebTransfer::isOnline()) {
            const QString server = Servers::current().update + QStringLiteral("/radioplayer/");
            for (const QString& file :
                 {QStringLiteral("changelog.txt"), QStringLiteral("currentversion.ini")})
                if (!WebTransfer::tryDownloadToFile(
                        server + file, paths::workFile(QStringLiteral("updater/") + file),
                        deadline))
                    qCDebug(lcUpdate) << "update check: no" << file << "from" << server;
            sGauge1->setValue(0);
            sLabelFX1->setText(QStringLiteral("Starting..."));
        }
        Button2Click();
    });
}

void Form3::Button2Click() {
    processEvents();
    sGauge1->setMaximum(100);
    for (int i = 0; i < 99; ++i) {
        waitPainting(gaugeStepMs);
        sGauge1->setValue(sGauge1->value() + 1);
    }
    form1_.show();
    form1_.setEnabled(true);
    close();
    if (!WebTransfer::isOnline()) {
        form1_.sButton7->show();
        return;
    }
    form1_.Edit4.clear();
    form1_.Edit4 = text::loadFile(paths::workFile(QStringLiteral("updater/version.ini")));
    form1_.Edit5.clear();
    form1_.Edit5 = text::loadFile(paths::workFile(QStringLiteral("updater/currentversion.ini")));
    hide();
    close();
    // The markers are never parsed: any difference, older too, is an update.
    const bool same = form1_.Edit5 == form1_.Edit4;
    form1_.Image1->setVisible(same);
    form1_.Label21->setVisible(same);
    form1_.Image2->setVisible(!same);
    form1_.sButton5->setVisible(!same);
}

} // namespace qv
