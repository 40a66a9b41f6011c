// SPDX-License-Identifier: GPL-3.0-or-later
#include "aboutbox.h"
#include "clicklabel.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "servers.h"
#include "shell.h"
#include "testinstall.h"
#include "testloop.h"
#include "testportal.h"
#include "testprogram.h"
#include "webtransfer.h"

#include <QAction>
#include <QElapsedTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>

#include <optional>

using qv::Form1;

namespace {

// Keeps the main window open when the program asks it to close (which would
// end the test's event loops for good) and remembers that it asked.
class CloseCatcher : public QObject {
public:
    bool asked = false;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::Close)
            return false;
        asked = true;
        return true;
    }
};

const QByteArray kNewest = "1.37\r\n"; // the demo portal's marker

} // namespace

class TestUpdates : public ProgramTest {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};
    CloseCatcher closing_;
    std::optional<OpenRecorder> opener_;

    QString file(const QString& relative) const { return install_->path(relative); }

    qsizetype updateRequests() const {
        const std::vector<std::string> log = portal_.requestLog();
        return std::count_if(log.begin(), log.end(), [](const std::string& line) {
            return line.find("/radioplayer/") != std::string::npos &&
                   line.find("counter.htm") == std::string::npos;
        });
    }

    void start(qv::UpdateCheck check = qv::UpdateCheck::Run) {
        form1_ = qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), check);
        form1_->installEventFilter(&closing_);
        shortenUpdateManagerPauses(*form1_);
    }

    // Which of the four outcomes the bottom strip shows.
    QString indicator() const {
        QStringList shown;
        for (const QWidget* w : std::initializer_list<const QWidget*>{
                 form1_->Label21, form1_->sButton5, form1_->sButton7, form1_->sBitBtn10}) {
            if (!w->isHidden())
                shown << (qobject_cast<const QLabel*>(w)
                              ? qobject_cast<const QLabel*>(w)->text()
                              : qobject_cast<const QPushButton*>(w)->text());
        }
        return shown.join('|');
    }

private slots:
    void initTestCase() {
        portal_.start();
        shortenSplashPauses();
    }

    void init() {
        install_ = std::make_unique<TestInstall>();
        install_->usePortal(portal_);
        install_->writeSettings({"[General]", "Reportstarts=0"});
        messages_ = std::make_unique<qv::MessageRecorder>();
        qv::WebTransfer::setOnlineOverride(true); // whatever the machine's network manager says
        closing_.asked = false;
        opener_.emplace();
    }

    void cleanup() {
        qv::WebTransfer::setOnlineOverride(std::nullopt);
        opener_.reset();
        endProgram();
        portal_.setFaults({});
    }

    void checkOutcomes_data() {
        QTest::addColumn<QByteArray>("installed");
        QTest::addColumn<bool>("online");
        QTest::addColumn<bool>("switchedOn");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("requests");
        QTest::newRow("same marker") << kNewest << true << true << "No Updates are available" << 2;
        QTest::newRow("one byte more") << kNewest + "\r\n"
                                       << true << true << "Updates available - click here!" << 2;
        QTest::newRow("older marker")
            << QByteArray("1.36\r\n") << true << true << "Updates available - click here!" << 2;
        QTest::newRow("offline") << kNewest << false << true << "CONNECTION ERROR" << 0;
        QTest::newRow("switched off")
            << QByteArray() << true << false << "Updates deactivated" << 0;
    }

    void checkOutcomes() {
        QFETCH(QByteArray, installed);
        QFETCH(bool, online);
        QFETCH(bool, switchedOn);
        QFETCH(QString, shown);
        QFETCH(int, requests);
        writeAll(file("updater/version.ini"), installed);
        if (!switchedOn)
            install_->writeSettings({"[General]", "Reportstarts=0", "Ceckforupdates=0"});
        qv::WebTransfer::setOnlineOverride(online);
        const qsizetype before = updateRequests();

        start();
        QCOMPARE(indicator(), shown);
        QCOMPARE(messages_->texts(), QStringList());
        QCOMPARE(updateRequests() - before, requests);
        QVERIFY(form1_->isVisible() && form1_->isEnabled());
        QVERIFY(!form1_->windows.form3->isVisible());
        QCOMPARE(!form1_->Image1->isHidden(), shown == "No Updates are available");
        QCOMPARE(!form1_->Image2->isHidden(), shown.startsWith("Updates"));
        if (requests)
            QCOMPARE(readAll(file("updater/currentversion.ini")), kNewest);
    }

    // A server that is down while the system reports a connection: the
    // markers already on disk decide; a missing one is an error, no outcome.
    void unreachableServer() {
        qv::Servers servers = qv::Servers::current();
        servers.update = QStringLiteral("http://127.0.0.1:9"); // nothing listens there
        qv::Servers::setCurrent(servers);
        writeAll(file("updater/currentversion.ini"), "1.36\r\n");
        start();
        QCOMPARE(indicator(), QStringLiteral("No Updates are available"));

        QFile::remove(file("updater/version.ini"));
        form1_.reset();
        start();
        QCOMPARE(indicator(), QString());
        QCOMPARE(messages_->texts(),
                 QStringList{"Cannot open file \"" + file("updater/version.ini") +
                             "\". No such file or directory"});
        QVERIFY(form1_->isVisible() && form1_->isEnabled());
    }

    // An update server that never answers holds the start-up only briefly.
    void neverAnsweringServerIsBounded() {
        portal_.setFaults({"hang:/radioplayer/"});
        writeAll(file("updater/currentversion.ini"), "1.35\r\n");
        QElapsedTimer clock;
        clock.start();
        start();
        const qint64 took = clock.elapsed();
        QVERIFY2(took < qv::Form3::kCheckLimitMs + 2000, qPrintable(QString::number(took)));
        QCOMPARE(indicator(), QStringLiteral("Updates available - click here!")); // 1.35 on disk
        QCOMPARE(messages_->texts(), QStringList());
    }

    // Downloaded completely: "Install" replaces "Cancel", and both it and
    // the title bar hand the installer to the desktop and end the player.
    void installerDownload_data() {
        QTest::addColumn<bool>("byTitleBar");
        QTest::newRow("Install") << false;
        QTest::newRow("title bar") << true;
    }

    void installerDownload() {
        QFETCH(bool, byTitleBar);
        start();
        form1_->sButton5Click();
        qv::Form9& notifier = *form1_->windows.form9;
        QVERIFY(notifier.isVisible() && !form1_->isEnabled());
        QCOMPARE(notifier.RichEdit1->toPlainText().left(26),
                 QStringLiteral("Quorvell Radio Player 1.37"));
        QTest::mouseClick(notifier.Button2, Qt::LeftButton);
        QVERIFY(!notifier.isVisible() && form1_->isEnabled());

        qv::Form10& manager = *form1_->windows.form10;
        QVERIFY(manager.isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(manager.downloadComplete(), 15000);
        QCOMPARE(manager.Button1->isHidden(), true);
        QCOMPARE(manager.Button2->isHidden(), false);
        QCOMPARE(manager.Button2->geometry(), manager.Button1->geometry());
        QCOMPARE(manager.sGauge1->value(), manager.sGauge1->maximum());
        const QByteArray installer = readAll(file("update.exe"));
        QVERIFY(qv::WebTransfer::tryDownloadToFile(
            QString::fromStdString(portal_.baseUrl()) + "/radioplayer/update.exe", file("copy")));
        QCOMPARE(installer, readAll(file("copy")));
        QCOMPARE(installer.size(), 300 * 1024);
        QVERIFY(opener_->opened.isEmpty());

        if (byTitleBar)
            manager.close();
        else
            QTest::mouseClick(manager.Button2, Qt::LeftButton);
        QCOMPARE(opener_->opened, QStringList{QUrl::fromLocalFile(file("update.exe")).toString()});
        QVERIFY(closing_.asked);
        QCOMPARE(messages_->texts(), QStringList());
    }

    // A failed transfer is never complete: the old file stays, nothing starts.
    void failedDownloadInstallsNothing_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("HTTP 500") << "http500"
                                  << "HTTP/1.1 500 Internal Server Error";
        QTest::newRow("broken") << "truncated"
                                << "Connection closed";
    }

    void failedDownloadInstallsNothing() {
        QFETCH(QString, fault);
        QFETCH(QString, message);
        writeAll(file("update.exe"), "old");
        start();
        portal_.setFaults({(fault + ":/radioplayer/update.exe").toStdString()});
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton);
        qv::Form10& manager = *form1_->windows.form10;
        QTRY_VERIFY_WITH_TIMEOUT(!messages_->records.isEmpty(), 15000);
        // A connection closed early may be reported with the byte counts.
        QCOMPARE(messages_->texts().size(), 1);
        QVERIFY2(messages_->texts().first().startsWith(message),
                 qPrintable(messages_->texts().first()));
        QVERIFY(!manager.downloadComplete());
        QVERIFY(manager.isVisible() && manager.Button2->isHidden());
        QCOMPARE(readAll(file("update.exe")), QByteArray("old"));

        manager.close();
        QCOMPARE(messages_->texts().last(), QStringLiteral("Update not completed yet"));
        QVERIFY(opener_->opened.isEmpty() && !closing_.asked && form1_->isEnabled());
    }

    // Only an installer signed with an update key counts: anything else is
    // refused with its reason, keeps the earlier file and starts nothing.
    void unverifiedInstallerIsRefused_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<bool>("withKey");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unsigned") << "unsigned" << true << "no signature";
        QTest::newRow("tampered") << "tampered" << true << "a signature that does not match";
        QTest::newRow("wrong key") << "wrongkey" << true << "an unknown key";
        QTest::newRow("no update key") << "" << false << "no update key configured";
    }
    void unverifiedInstallerIsRefused() {
        QFETCH(QString, fault);
        QFETCH(bool, withKey);
        QFETCH(QString, reason);
        writeAll(file("update.exe"), "old");
        if (!withKey) {
            qv::Servers servers = qv::Servers::current();
            servers.updateKey.clear();
            qv::Servers::setCurrent(servers);
        }
        if (!fault.isEmpty())
            portal_.setFaults({fault.toStdString()});
        start();
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton);
        qv::Form10& manager = *form1_->windows.form10;
        QTRY_VERIFY_WITH_TIMEOUT(!messages_->records.isEmpty(), 15000);
        QCOMPARE(messages_->texts(),
                 QStringList{"The update could not be verified and will not be installed.\n"
                             "Reason: " +
                             reason + "."});
        QVERIFY(!manager.downloadComplete());
        QVERIFY(manager.isVisible() && manager.Button2->isHidden());
        QCOMPARE(readAll(file("update.exe")), QByteArray("old"));
        QCOMPARE(QDir(file({})).entryList({"update.exe*"}), QStringList{"update.exe"});

        manager.close();
        QCOMPARE(messages_->texts().last(), QStringLiteral("Update not completed yet"));
        QVERIFY(opener_->opened.isEmpty() && !closing_.asked && form1_->isEnabled());
    }

    // The demo portal's signature is one the minisign tool accepts.
    void demoSignatureVerifiesWithMinisign() {
        if (QStandardPaths::findExecutable(QStringLiteral("minisign")).isEmpty())
            QSKIP("minisign is not installed");
        const QString base = QString::fromStdString(portal_.baseUrl()) + "/radioplayer/update.exe";
        QVERIFY(qv::WebTransfer::tryDownloadToFile(base, file("update.exe")));
        QVERIFY(qv::WebTransfer::tryDownloadToFile(base + ".minisig", file("update.exe.minisig")));
        QProcess minisign;
        minisign.setWorkingDirectory(file({}));
        minisign.start("minisign", {"-V", "-m", "update.exe", "-p", QV_DEMO_UPDATE_KEY});
        QVERIFY(minisign.waitForFinished(20000));
        QVERIFY2(minisign.exitCode() == 0, minisign.readAllStandardError().constData());
    }

    void unwritableInstaller() {
        QVERIFY(QDir().mkpath(file("update.exe"))); // a directory in its place
        start(qv::UpdateCheck::Skip);
        form1_->windows.form10->show();
        QTRY_VERIFY_WITH_TIMEOUT(!messages_->records.isEmpty(), 15000);
        QVERIFY2(messages_->texts().first().startsWith("Cannot create file \"" +
                                                       file("update.exe") + "\". "),
                 qPrintable(messages_->texts().first()));
        QVERIFY(!form1_->windows.form10->downloadComplete());
    }

    // Cancel asks first; the transfer still pending runs hidden to its end
    // but starts nothing.
    void cancelBeforeCompletion() {
        start();
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton);
        qv::Form10& manager = *form1_->windows.form10;
        manager.Button1Click(); // answered No
        QVERIFY(manager.isVisible());
        messages_->answers = {true};
        manager.Button1Click();
        QVERIFY(!manager.isVisible());
        QCOMPARE(messages_->texts(), (QStringList{"Are you really shure to cancel the update?",
                                                  "Are you really shure to cancel the update?",
                                                  "Update not completed yet"}));
        QVERIFY(form1_->isVisible() && form1_->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(manager.downloadComplete(), 15000);
        QVERIFY(opener_->opened.isEmpty() && !closing_.asked);
    }

    void notifierAndChangelog() {
        start(qv::UpdateCheck::Skip);
        // Nothing downloaded yet: both report the missing file and show nothing.
        const QString missing =
            "Cannot open file \"" + file("updater/changelog.txt") + "\". No such file or directory";
        form1_->sButton5Click();
        form1_->Changelog1Click();
        QCOMPARE(messages_->texts(), (QStringList{missing, missing}));
        QVERIFY(!form1_->windows.form9->isVisible() && !form1_->windows.form5->isVisible());
        QVERIFY(form1_->isEnabled());

        writeAll(file("updater/changelog.txt"), "Line 1\r\nZ\xc3\xb3\xc5\x82w\r\n");
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button1, Qt::LeftButton); // "Cancle"
        QVERIFY(!form1_->windows.form9->isVisible() && form1_->isEnabled());

        form1_->Changelog1Click();
        QCOMPARE(form1_->windows.form5->RichEdit1->toPlainText(), QStringLiteral("Line 1\nZółw\n"));
        writeAll(file("updater/changelog.txt"), "Line 2");
        form1_->Changelog1Click(); // open already: reloaded and brought forward
        QCOMPARE(form1_->windows.form5->RichEdit1->toPlainText(), QStringLiteral("Line 2"));
        QTest::mouseClick(form1_->windows.form5->Button1, Qt::LeftButton);
        QVERIFY(!form1_->windows.form5->isVisible());
    }

    void aboutContactAndLinks() {
        start(qv::UpdateCheck::Skip);
        form1_->About1Click();
        qv::AboutBox& about = *form1_->windows.aboutBox;
        QVERIFY(about.isVisible() && form1_->isEnabled());
        QCOMPARE(about.ProductName->text(), QStringLiteral("Quorvell Music Player"));
        QCOMPARE(about.Version->text(), QStringLiteral("1.36"));
        const std::string base = portal_.baseUrl();
        QCOMPARE(about.sLabelFX1->text(), QString::fromStdString(base + "/halvane/"));
        QCOMPARE(about.sLabelFX2->text(), QStringLiteral("contact@halvane.example"));

        QTest::mouseClick(about.Image1, Qt::LeftButton);
        QTest::mouseClick(about.sLabelFX1, Qt::LeftButton);
        QTest::mouseClick(about.sLabelFX2, Qt::LeftButton);
        form1_->Contact1Click();
        QTest::mouseClick(form1_->sLabelFX2, Qt::LeftButton);
        const QString maker = QString::fromStdString(base + "/listen/maker/");
        QCOMPARE(opener_->opened, (QStringList{maker, maker, "mailto:support@halvane.example",
                                               "mailto:contact@halvane.example",
                                               QString::fromStdString(base + "/halvane/")}));
        QTest::mouseClick(about.OKButton, Qt::LeftButton);
        QVERIFY(!about.isVisible());

        form1_->sButton7Click();
        QCOMPARE(messages_->records.size(), 1);
        QCOMPARE(messages_->records[0].kind, qv::MessageKind::Information);
        QCOMPARE(messages_->records[0].text,
                 QStringLiteral("Couldnt connect to server. Please check your firewall or your "
                                "Internet connection. In case the server is down, please contact "
                                "me. (support@halvane.example)"));
    }

    // Ending the player closes every window; a downloaded installer must not
    // start from that.
    void endingThePlayerStartsNothing() {
        start();
        form1_->sButton5Click();
        QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(form1_->windows.form10->downloadComplete(), 15000);
        form1_->removeEventFilter(&closing_);
        QTimer::singleShot(0, form1_->Close1, &QAction::trigger);
        QCOMPARE(runEventLoop(10000), 0);
        QVERIFY(opener_->opened.isEmpty());
        QCOMPARE(messages_->texts(), QStringList());
    }
};

QTEST_MAIN(TestUpdates)
#include "test_updates.moc"
