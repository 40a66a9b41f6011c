// SPDX-License-Identifier: GPL-3.0-or-later
// The whole player against a portal that speaks https only, with a
// certificate from an authority made for the test: every address in
// servers.ini starts with "https://". Trusted, it all works; not trusted, the
// pages fail with their usual text, the reason is logged, and songs refuse to
// play.
#include "catalogue.h"
#include "demoportal.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "mpvplayer.h"
#include "program.h"
#include "secondarywindows.h"
#include "shell.h"
#include "testinstall.h"
#include "testportal.h"
#include "testprogram.h"
#include "testtls.h"
#include "webtransfer.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMutex>
#include <QPushButton>
#include <QSslConfiguration>
#include <QTest>

#include <optional>

using qv::Form1;
using qv::MpvPlayer;
namespace cat = demo::catalogue;

namespace {

// The radio on an address of its own, away from the other tests' streams.
const QString kRadioAddress = QStringLiteral("127.0.0.3");

QMutex logMutex;
QStringList netLog;
QtMessageHandler previousHandler = nullptr;

void keepNetLog(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (qstrcmp(context.category, "qv.net") == 0) {
        const QMutexLocker lock(&logMutex);
        netLog << message;
        return;
    }
    previousHandler(type, context, message);
}

} // namespace

class TestHttps : public ProgramTest {
    Q_OBJECT

    TestCertificates certificates_{{QStringLiteral("127.0.0.1"), kRadioAddress}};
    QSslConfiguration systemTls_ = QSslConfiguration::defaultConfiguration();
    std::unique_ptr<demo::Portal> portal_;
    std::optional<OpenRecorder> opener_;

    // A new portal each time, on a new port: no connection the last test
    // verified can be taken up again.
    void start(bool trusted) {
        demo::Options options = portalWithRadio(kRadioAddress.toStdString());
        options.tlsCert = certificates_.certificate().toStdString();
        options.tlsKey = certificates_.key().toStdString();
        portal_ = std::make_unique<demo::Portal>(options);
        portal_->start();
        install_ = std::make_unique<TestInstall>();
        install_->usePortal(*portal_);
        install_->writeSettings({"[General]", "Reportstarts=0"});
        writeAll(install_->path("updater/currentversion.ini"), "1.36\r\n"); // as installed

        QSslConfiguration tls = systemTls_;
        QStringList mpvOptions{"ao=null"};
        if (trusted) {
            tls.addCaCertificates(certificates_.authority());
            mpvOptions << "tls-ca-file=" + certificates_.authority();
        }
        QSslConfiguration::setDefaultConfiguration(tls);
        shortenSplashPauses();
        form1_ = qv::startProgram(std::make_unique<MpvPlayer>(nullptr, mpvOptions),
                                  qv::UpdateCheck::Run);
        shortenUpdateManagerPauses(*form1_);
    }

    bool fetched(const std::string& path) const {
        const auto log = portal_->requestLog();
        return std::any_of(log.begin(), log.end(), [&](const std::string& line) {
            return line.rfind("GET " + path + " ", 0) == 0;
        });
    }

    void search(const QString& genre) {
        form1_->ComboBox1->setEditText(genre);
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton);
    }

private slots:
    void initTestCase() {
        if (!certificates_.valid())
            QSKIP("the openssl tool is not installed");
        if (!MpvPlayer::available())
            QSKIP("libmpv cannot be loaded on this machine");
        QLoggingCategory::setFilterRules(QStringLiteral("qv.net.debug=true"));
        previousHandler = qInstallMessageHandler(keepNetLog);
    }
    void cleanupTestCase() {
        qInstallMessageHandler(previousHandler);
        QSslConfiguration::setDefaultConfiguration(systemTls_);
    }
    void init() {
        messages_ = std::make_unique<qv::MessageRecorder>();
        qv::WebTransfer::setOnlineOverride(true);
        opener_.emplace();
        const QMutexLocker lock(&logMutex);
        netLog.clear();
    }
    void cleanup() {
        endProgram();
        portal_.reset();
        opener_.reset();
        qv::WebTransfer::setOnlineOverride(std::nullopt);
        QSslConfiguration::setDefaultConfiguration(systemTls_);
    }

    void trustedAuthority() {
        start(true);
        QVERIFY(QString::fromStdString(portal_->baseUrl()).startsWith("https://127.0.0.1:"));
        // The update check at start.
        QVERIFY(fetched("/radioplayer/currentversion.ini"));
        QVERIFY(!form1_->sButton5->isHidden()); // "Updates available - click here!"

        // A search and a song.
        search(QStringLiteral("Dubstep"));
        const auto songs = cat::pageSongs(cat::kDubstepList, 1, cat::Order::Score);
        QCOMPARE(form1_->ListBox1->count(), int(songs.size()));
        form1_->ListBox1->setCurrentRow(0);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        QTRY_COMPARE_WITH_TIMEOUT(form1_->Label16->text(), "0:01", 5000);
        QVERIFY(fetched("/audio/download/" + songs[0]));

        // The radio.
        form1_->CableDSLT11Click();
        QTRY_COMPARE_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->name(), "Vellwave - Demo Track 1",
                                  5000);
        QVERIFY(form1_->WindowsMediaPlayer1->url().startsWith("https://" + kRadioAddress));

        // The installer, signature checked, ready to install.
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form1_->windows.form10->downloadComplete(), 15000);
        QVERIFY(messages_->records.isEmpty());
        const QMutexLocker lock(&logMutex);
        QVERIFY2(netLog.isEmpty(), qPrintable(netLog.join('\n')));
    }

    void untrustedAuthority() {
        start(false);
        // The update check takes nothing from the server.
        QVERIFY(!fetched("/radioplayer/currentversion.ini"));
        QVERIFY(!form1_->Label21->isHidden()); // "No Updates are available"

        search(QStringLiteral("Dubstep"));
        const QString page = QString::fromStdString(portal_->baseUrl()) + "/audio/list/";
        QVERIFY2(messages_->texts().size() == 1, qPrintable(messages_->texts().join('|')));
        QVERIFY2(messages_->texts()[0].startsWith("Error downloading URL: " + page),
                 qPrintable(messages_->texts()[0]));
        QCOMPARE(form1_->ListBox1->count(), 0);
        {
            // The reason is in the log for who asks (QT_LOGGING_RULES=qv.net=true).
            const QMutexLocker lock(&logMutex);
            const QString log = netLog.join('\n');
            QVERIFY2(log.contains("TLS error on " + page) && log.contains("certificate"),
                     qPrintable(log));
            QVERIFY2(log.contains("TLS error on " + QString::fromStdString(portal_->baseUrl()) +
                                  "/radioplayer/currentversion.ini"),
                     qPrintable(log));
        }

        // A song from the same server plays nothing: no request gets through.
        messages_->clear();
        qv::rows::append(*form1_->ListBox1, QStringLiteral("A song"));
        form1_->ListBox2 << QString::fromStdString(portal_->baseUrl()) + "/listen/1803001/";
        form1_->ListBox1->setCurrentRow(0);
        QTest::mouseClick(form1_->sBitBtn3, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->status().startsWith("Error"), 5000);
        QVERIFY(!fetched("/audio/download/1803001"));
        // The radio as well: its title never shows, and no stream is sent.
        form1_->CableDSLT11Click();
        QCOMPARE(form1_->WindowsMediaPlayer1->status(), QStringLiteral("Opening..."));
        QTRY_VERIFY_WITH_TIMEOUT(form1_->WindowsMediaPlayer1->status().startsWith("Error"), 5000);
        QVERIFY(form1_->WindowsMediaPlayer1->name() != "Vellwave - Demo Track 1");
        QVERIFY(!fetched("/"));
    }
};

QTEST_MAIN(TestHttps)
#include "test_https.moc"
