// SPDX-License-Identifier: GPL-3.0-or-later
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "shell.h"
#include "testfiles.h"
#include "testinstall.h"
#include "testloop.h"
#include "testportal.h"
#include "testprogram.h"
#include "webtransfer.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <string>

using qv::Form1;

// The main window closed while a transfer runs: the program ends without a
// crash (the sanitizer build runs this too) and writes no half file. Once the
// application has quit, no later event loop runs in the process, so ctest runs
// each case in a process of its own.
class TestClosing : public ProgramTest {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};

    // Runs the command and closes the window once its request (the path or one
    // below it) has reached the portal, which holds it; then checks that the
    // program ended quietly.
    template <typename Command>
    void closeDuring(const char* fault, const std::string& awaited, Command&& command) {
        portal_.setFaults({fault});
        bool unwound = false;
        bool closed = false; // by the closer, not by a failure
        QTimer::singleShot(0, form1_.get(), [&] {
            command();
            unwound = true;
        });
        QTimer closer;
        connect(&closer, &QTimer::timeout, this, [&] {
            const auto arrivals = portal_.arrivals();
            if (std::any_of(arrivals.begin(), arrivals.end(), [&](const std::string& a) {
                    return a == awaited || a.starts_with(awaited + '/');
                })) {
                closer.stop();
                closed = true;
                form1_->Close1->trigger();
            }
        });
        closer.start(10);
        QCOMPARE(runEventLoop(20000), 0);
        QVERIFY(closed);
        QVERIFY(unwound);
        QCOMPARE(messages_->texts(), QStringList());
        form1_.reset();
    }

private slots:
    void init() {
        portal_.start();
        install_ = quietInstall(&portal_);
        messages_ = std::make_unique<qv::MessageRecorder>();
        qv::WebTransfer::setOnlineOverride(true);
        form1_ = startWithFakePlayer();
        shortenUpdateManagerPauses(*form1_);
    }

    void cleanup() { endProgram(); }

    void search() {
        form1_->ComboBox1->setEditText(QStringLiteral("Jazz"));
        form1_->sComboBox2->setEditText(QStringLiteral("100"));
        closeDuring("hang:/audio/list/18/2", "GET /audio/list/18/2",
                    [&] { form1_->sBitBtn5Click(); });
        QVERIFY(!QFile::exists(install_->path("temp/text.txt")) ||
                readAll(install_->path("temp/text.txt")).contains("audiolist"));
    }

    void favouritesFetch() {
        writeAll(install_->path("temp/favorites.txt"), "earlier page");
        form1_->Login3Click();
        form1_->windows.form14->sEdit1->setText(QStringLiteral("alice"));
        closeDuring("hang:/users/", "GET /users/alice",
                    [&] { QTest::mouseClick(form1_->windows.form14->sButton1, Qt::LeftButton); });
        QCOMPARE(readAll(install_->path("temp/favorites.txt")), QByteArray("earlier page"));
    }

    void updateDownload() {
        writeAll(install_->path("updater/changelog.txt"), "Quorvell Radio Player 1.37\r\n");
        writeAll(install_->path("update.exe"), "old");
        const auto opener = qv::shell::setOpener([](const QUrl&) { return true; });
        form1_->sButton5Click();
        // The installer itself is held, after its signature arrived.
        closeDuring("hang:/radioplayer/update.exe$", "GET /radioplayer/update.exe",
                    [&] { QTest::mouseClick(form1_->windows.form9->Button2, Qt::LeftButton); });
        qv::shell::setOpener(opener);
        QCOMPARE(readAll(install_->path("update.exe")), QByteArray("old"));
    }
};

QTEST_MAIN(TestClosing)
#include "test_closing.moc"
