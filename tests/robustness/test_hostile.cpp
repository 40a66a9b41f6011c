// SPDX-License-Identifier: GPL-3.0-or-later
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "messagerecorder.h"
#include "program.h"
#include "secondarywindows.h"
#include "testfiles.h"
#include "testinstall.h"
#include "testportal.h"
#include "testprogram.h"
#include "webtransfer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <QTimer>

using qv::Form1;
using qv::WebTransfer;

// A portal that misbehaves in every way it can: the search and the
// favourites fetch end with a clear error or the partial result, the window
// keeps answering meanwhile, and nothing stored is lost.
class TestHostile : public ProgramTest {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};

    QString pageError(const char* path) const {
        return "Error downloading URL: " + QString::fromStdString(portal_.baseUrl()) + path;
    }

    // What the user has stored: own playlists and settings.
    QMap<QString, QByteArray> stored() const {
        auto files = snapshot(install_->path("Playlists"));
        files.insert("settings.ini", readAll(install_->path("settings.ini")));
        return files;
    }

private slots:
    void initTestCase() {
        portal_.start();
        // Short bounds so a silent or endless server ends the test quickly.
        WebTransfer::setIdleTimeout(500);
        WebTransfer::setPageTimeLimit(2000);
    }

    void init() {
        install_ = quietInstall(&portal_);
        writeAll(install_->path("Playlists/playlists.ini"), "Mine\r\n");
        writeAll(install_->path("Playlists/Mine.qvl"), "Old\r\nold\r\n");
        messages_ = std::make_unique<qv::MessageRecorder>();
        form1_ = startWithFakePlayer();
    }

    void cleanup() {
        endProgram();
        portal_.setFaults({});
    }

    void search_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<int>("rows");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("slow"); // long enough for the user to act meanwhile
        const char* page2 = "/audio/list/18/2/score";
        QTest::newRow("50 MB page") << "huge:/audio/list/18/2" << 50 << pageError(page2) << false;
        QTest::newRow("endless page")
            << "endless:/audio/list/18/2" << 50 << pageError(page2) << true;
        QTest::newRow("never answers") << "hang:/audio/list/18/2" << 50 << pageError(page2) << true;
        QTest::newRow("HTTP 500") << "http500:/audio/list/18/2" << 50 << pageError(page2) << false;
        QTest::newRow("binary garbage") << "garbage:/audio/list/18/2" << 50 << QString() << false;
        QTest::newRow("10,000 marks") << "marks:/audio/list/18/1" << 100 << QString() << false;
    }

    // "Jazz", 100 results: page 1 is sound, page 2 (or 1) is hostile.
    void search() {
        QFETCH(QString, fault);
        QFETCH(int, rows);
        QFETCH(QString, message);
        QFETCH(bool, slow);
        const auto before = stored();
        portal_.setFaults({fault.toStdString()});
        form1_->ComboBox1->setEditText(QStringLiteral("Jazz"));
        form1_->sComboBox2->setEditText(QStringLiteral("100"));

        // Meanwhile the user turns the volume down: it is done at once.
        const int volume = form1_->WindowsMediaPlayer1->volume();
        bool searching = false;
        int turnedDown = volume;
        QTimer::singleShot(250, form1_.get(), [&] {
            searching = !form1_->sBitBtn5->isEnabled();
            QTest::mouseClick(form1_->sBitBtn7, Qt::LeftButton);
            turnedDown = form1_->WindowsMediaPlayer1->volume();
        });
        QTest::mouseClick(form1_->sBitBtn5, Qt::LeftButton);
        if (slow) {
            QVERIFY(searching);
            QVERIFY(turnedDown < volume);
        }

        QCOMPARE(form1_->ListBox1->count(), rows);
        QCOMPARE(form1_->ListBox2.size(), rows);
        QCOMPARE(messages_->texts(), message.isEmpty() ? QStringList() : QStringList{message});
        QVERIFY(form1_->sBitBtn5->isEnabled());
        QCOMPARE(stored(), before);
    }

    // 10,000 favourites are cut at 700; a 50 MB page afterwards keeps them.
    void favourites() {
        portal_.setFaults({"marks:/users/"});
        form1_->Login3Click();
        form1_->windows.form14->sEdit1->setText(QStringLiteral("alice"));
        QTest::mouseClick(form1_->windows.form14->sButton1, Qt::LeftButton);
        QCOMPARE(form1_->sListBox2->count(), 700);
        QCOMPARE(form1_->ListBox4.size(), 700);
        QCOMPARE(messages_->texts(), QStringList());

        const QByteArray page = readAll(install_->path("temp/favorites.txt"));
        const auto before = stored();
        portal_.setFaults({"huge:/users/"});
        form1_->sBitBtn14Click();
        QTest::mouseClick(form1_->windows.form14->sButton1, Qt::LeftButton);
        QCOMPARE(messages_->texts(), QStringList{pageError("/users/alice/favorites/")});
        QCOMPARE(form1_->sListBox2->count(), 700);
        QCOMPARE(readAll(install_->path("temp/favorites.txt")), page);
        form1_->windows.form14->close();
        QCOMPARE(stored(), before);
    }
};

QTEST_MAIN(TestHostile)
#include "test_hostile.moc"
