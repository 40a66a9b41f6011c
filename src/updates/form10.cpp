// SPDX-License-Identifier: GPL-3.0-or-later
#include "form10.h"

#include "accessibility.h"
#include "boundary.h"
#include "form1.h"
#include "logging.h"
#include "messages.h"
#include "minisign.h"
#include "paths.h"
#include "servers.h"
#include "shell.h"
#include "textfile.h"
#include "wait.h"
#include "webtransfer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QSaveFile>
#include <QShowEvent>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <limits>

namespace qv {

namespace {
QString installerPath() {
    return paths::workFile(QStringLiteral("update.exe"));
}

// A signature file is a few hundred bytes.
constexpr qint64 kMaxSignatureBytes = 64 * 1024;
constexpr int kSignatureTimeoutMs = 15000;

[[noreturn]] void refuse(minisign::Verdict verdict) {
    qCDebug(lcUpdate) << "installer refused:" << minisign::reason(verdict);
    throw Error(QStringLiteral("The update could not be verified and will not be installed.\n"
                               "Reason: %1.")
                    .arg(minisign::reason(verdict)));
}

// The installer's signature; none when the server has none to give.
std::optional<QByteArray> fetchSignature(const QString& address) {
    QString why;
    auto signature =
        WebTransfer::fetch(address, kMaxSignatureBytes, QDeadlineTimer(kSignatureTimeoutMs), &why);
    if (!signature)
        qCDebug(lcUpdate) << "no signature from" << address << ":" << why;
    return signature;
}

int gaugeValue(qint64 bytes) {
    return int(std::clamp<qint64>(bytes, 0, std::numeric_limits<int>::max()));
}
} // namespace

Form10::Form10(Form1& form1) : Timer1(new QTimer(this)), form1_(form1), IdHTTP1(new HttpGet(this)) {
    setWindowTitle(QStringLiteral("Update manager"));
    setFont(form1.font());
    Timer1->setInterval(startPauseMs);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, &Form10::Timer1Timer);
    connect(IdHTTP1, &HttpGet::workBegin, this, &Form10::IdHTTP1WorkBegin);
    connect(IdHTTP1, &HttpGet::work, this, &Form10::IdHTTP1Work);
    connect(IdHTTP1, &HttpGet::workEnd, this, &Form10::IdHTTP1WorkEnd);
    // The title bar, Escape and a confirmed Cancel all end here.
    connect(this, &QDialog::finished, this, &Form10::FormClose);
}

void Form10::build() {
    Label1 = new QLabel(QStringLiteral("Download Progress:"), this);
    sGauge1 = new QProgressBar(this);
    Button1 = new QPushButton(QStringLiteral("Cancel"), this);
    Button2 = new QPushButton(QStringLiteral("Install"), this);
    sGauge1->setRange(0, 100);
    sGauge1->setValue(0);
    sGauge1->setMinimumWidth(260);
    accessibility::caption(Label1, sGauge1);
    Button2->hide();

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(sGauge1);
    // "Install" lies exactly on top of "Cancel".
    auto* place = new QGridLayout;
    place->addWidget(Button1, 0, 0, Qt::AlignRight);
    place->addWidget(Button2, 0, 0, Qt::AlignRight);
    layout->addLayout(place);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    Button2->setFixedSize(Button1->sizeHint().expandedTo(Button2->sizeHint()));
    Button1->setFixedSize(Button2->size());

    connect(Button1, &QPushButton::clicked, this, &Form10::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &Form10::Button2Click);
}

void Form10::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void Form10::FormShow() {
    QCoreApplication::processEvents();
    Timer1->start(startPauseMs);
}

void Form10::Timer1Timer() {
    Timer1->stop();
    Button3Click();
}

void Form10::Button3Click() {
    // A transfer still running from an earlier showing goes on alone.
    guardedOnce(downloading_, [&] {
        QCoreApplication::processEvents();
        waitPainting(paintPauseMs);
        QCoreApplication::processEvents();

        const QString path = installerPath();
        // Replaced only once the whole installer has arrived: a failed
        // transfer never leaves half an installer behind.
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) // a full disk fails a write
            throw Error(text::createErrorText(path, file.errorString()));
        total_ = 0;
        complete_ = false;
        const QString address =
            Servers::current().update + QStringLiteral("/radioplayer/update.exe");
        // The signature first: it is small, a prehashed one is checked as the
        // installer arrives, and what no installer could pass (no key, a key
        // not ours) is refused before a byte of it is fetched. A missing
        // signature is told after the transfer, whose own failure comes first.
        minisign::Verifier verifier(minisign::parseKeys(Servers::current().updateKey),
                                    fetchSignature(address + QStringLiteral(".minisig")));
        if (verifier.verdict() != minisign::Verdict::Valid &&
            verifier.verdict() != minisign::Verdict::NoSignature)
            refuse(verifier.verdict());
        minisign::VerifyingDevice checked(file, verifier);
        // The address names its host: no separate connect and disconnect.
        IdHTTP1->get(address, checked);
        QElapsedTimer verifying;
        verifying.start();
        const minisign::Verdict verdict = verifier.finish();
        qCDebug(lcUpdate) << "installer checked in" << verifying.nsecsElapsed() / 1000 << "us";
        // Refused, the save file is dropped: an earlier "update.exe" stays.
        if (verdict != minisign::Verdict::Valid)
            refuse(verdict);
        if (!file.commit())
            throw Error(text::createErrorText(path, file.errorString()));
        complete_ = true;
        sGauge1->setValue(sGauge1->maximum());
        Button1->hide();
        Button2->show();
    });
}

void Form10::IdHTTP1WorkBegin(qint64 total) {
    total_ = total;
    QCoreApplication::processEvents();
    sGauge1->setRange(0, gaugeValue(total));
    QCoreApplication::processEvents();
}

void Form10::IdHTTP1Work(qint64 received) {
    QCoreApplication::processEvents();
    if (total_ >= 0)
        sGauge1->setValue(gaugeValue(received));
    QCoreApplication::processEvents();
}

void Form10::IdHTTP1WorkEnd() {
    QCoreApplication::processEvents();
    Timer1->stop();
}

void Form10::Button2Click() {
    install();
}

void Form10::Button1Click() {
    if (!messages::question(QStringLiteral("Are you really shure to cancel the update?")))
        return;
    form1_.show();
    form1_.setEnabled(true);
    close();
}

void Form10::FormClose() {
    if (installing_ || form1_.ending())
        return;
    if (complete_)
        install();
    else
        messages::plain(QStringLiteral("Update not completed yet"));
    form1_.setEnabled(true);
}

// The installer goes to the desktop's default "open" for its file type; the
// player never executes it itself. Then the player ends.
void Form10::install() {
    if (installing_)
        return;
    installing_ = true;
    shell::openFile(installerPath());
    form1_.setEnabled(true);
    form1_.close();
}

} // namespace qv
