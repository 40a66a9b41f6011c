// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue.h"
#include "demoportal.h"
#include "error.h"
#include "testfiles.h"
#include "testloop.h"
#include "testportal.h"
#include "webtransfer.h"

#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using qv::HttpGet;
using qv::WebTransfer;

namespace {

// Song i of the Jazz list, its download path and its file.
QString songNumber(int index) {
    return QString::fromStdString(demo::catalogue::songNumber(18, index));
}

QString songPath(int index) {
    return QStringLiteral("/audio/download/") + songNumber(index);
}

QByteArray song(int index) {
    const std::string bytes = demo::catalogue::wav(demo::catalogue::songNumber(18, index));
    return QByteArray(bytes.data(), qsizetype(bytes.size()));
}

// An address where nothing listens.
QString refusedUrl() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost);
    return QStringLiteral("http://127.0.0.1:%1%2").arg(server.serverPort()).arg(songPath(1));
}

} // namespace

class TestWebTransfer : public QObject {
    Q_OBJECT

private:
    demo::Portal portal_{portalWithoutRadio()};
    QTemporaryDir dir_;
    QString base_;

    QString url(const QString& path) const { return base_ + path; }
    QString file(const char* name) const { return dir_.filePath(QLatin1String(name)); }

private slots:
    void initTestCase() {
        QVERIFY(dir_.isValid());
        portal_.start();
        base_ = QString::fromStdString(portal_.baseUrl());
        WebTransfer::setIdleTimeout(500);
    }

    void cleanup() {
        portal_.setFaults({});
        WebTransfer::setIdleTimeout(500);
        leaveQuitting(); // a case that quit leaves the next ones able to wait
    }

    void downloadStoresWholeBodyWithProgress() {
        QList<QPair<qint64, qint64>> calls;
        const QString target = file("song.wav");
        WebTransfer::download(url(songPath(1)), target, [&](qint64 received, qint64 total) {
            calls.append({received, total});
        });

        const QByteArray expected = song(1);
        QCOMPARE(readAll(target), expected);
        QVERIFY(!calls.isEmpty());
        QCOMPARE(calls.last(), qMakePair(qint64(expected.size()), qint64(expected.size())));
        for (qsizetype i = 1; i < calls.size(); ++i)
            QVERIFY(calls[i].first > calls[i - 1].first);

        const QString quiet = file("try.wav");
        QVERIFY(WebTransfer::tryDownloadToFile(url(songPath(2)), quiet));
        QCOMPARE(readAll(quiet), song(2));
    }

    void progressSeenOnSlowTransfer() {
        portal_.setFaults({"slow:/radioplayer/update.exe"});
        WebTransfer::setIdleTimeout(5000);
        QList<qint64> received;
        const QString target = file("update.exe");
        WebTransfer::download(url("/radioplayer/update.exe"), target,
                              [&](qint64 bytes, qint64) { received.append(bytes); });
        WebTransfer::setIdleTimeout(500);
        QVERIFY2(received.size() >= 3, qPrintable(QString::number(received.size())));
        QCOMPARE(received.last(), QFileInfo(target).size());
    }

    void sendsTheTwoRequestHeaders() {
        const QString target = file("echo.txt");
        WebTransfer::download(url("/demo/echo"), target);
        const QByteArray echo = readAll(target);
        QVERIFY2(echo.contains("Accept: text/html, */*"), echo.constData());
        QVERIFY2(echo.contains("User-Agent: Mozilla/3.0 (compatible; Indy Library)"),
                 echo.constData());
    }

    void failureLeavesTarget_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("fault");
        QTest::newRow("404") << url("/audio/download/9999999") << QString();
        QTest::newRow("500") << url(songPath(1)) << QStringLiteral("http500");
        QTest::newRow("truncated") << url(songPath(1)) << QStringLiteral("truncated");
        QTest::newRow("silent server") << url(songPath(1)) << QStringLiteral("hang");
        QTest::newRow("refused") << refusedUrl() << QString();
        // Past the size cap (a 50 MB page), and a page that never ends.
        QTest::newRow("too large") << url("/audio/list/18/1/score") << QStringLiteral("huge");
        QTest::newRow("endless") << url("/audio/list/18/1/score") << QStringLiteral("endless");
    }

    // A failed transfer reports the address and never replaces the old file,
    // neither by raising nor by returning false.
    void failureLeavesTarget() {
        QFETCH(QString, address);
        QFETCH(QString, fault);
        if (!fault.isEmpty())
            portal_.setFaults({fault.toStdString()});
        const QString target = file("kept.txt");
        writeAll(target, "old content");
        WebTransfer::setPageTimeLimit(1500);
        const auto restore = qScopeGuard([] { WebTransfer::setPageTimeLimit(120000); });

        QElapsedTimer clock;
        clock.start();
        try {
            WebTransfer::download(address, target, [](qint64, qint64) {});
            QFAIL("no error raised");
        } catch (const qv::Cancelled&) {
            QFAIL("cancelled instead of failed");
        } catch (const qv::Error& e) {
            QCOMPARE(e.text(), "Error downloading URL: " + address);
        }
        QCOMPARE(readAll(target), QByteArray("old content"));

        QVERIFY(!WebTransfer::tryDownloadToFile(address, target, QDeadlineTimer(1500)));
        QCOMPARE(readAll(target), QByteArray("old content"));
        QVERIFY2(clock.elapsed() < 5000, "the idle time-out did not end the transfer");
    }

    // A missing folder is made; one that cannot be is named, not the server.
    void localWriteProblems() {
        const QString address = url(songPath(1));
        WebTransfer::download(address, file("made/on/demand/song.wav"));
        QCOMPARE(readAll(file("made/on/demand/song.wav")), song(1));

        writeAll(file("plain"), "a file, not a folder");
        const QString target = file("plain/song.wav");
        try {
            WebTransfer::download(address, target);
            QFAIL("no error raised");
        } catch (const qv::Error& e) {
            QVERIFY2(e.text().startsWith("Cannot create file \"" + target + "\"."),
                     qPrintable(e.text()));
        }
        QVERIFY(!WebTransfer::tryDownloadToFile(address, target));
    }

    // The user can start another download while one runs.
    void downloadInsideProgressCallback() {
        portal_.setFaults({"slow:/radioplayer/update.exe"});
        WebTransfer::setIdleTimeout(5000);
        const QString outer = file("outer.exe");
        const QString inner = file("inner.wav");
        int nested = 0;
        WebTransfer::download(url("/radioplayer/update.exe"), outer, [&](qint64, qint64) {
            if (nested++ == 0)
                WebTransfer::download(url(songPath(3)), inner);
        });
        WebTransfer::setIdleTimeout(500);
        portal_.setFaults({});
        QCOMPARE(readAll(inner), song(3));
        QVERIFY(QFileInfo(outer).size() > 0);
        QVERIFY(WebTransfer::tryDownloadToFile(url("/radioplayer/update.exe"), file("again.exe")));
        QCOMPARE(readAll(outer), readAll(file("again.exe")));
    }

    void callbackErrorEndsDownload() {
        const QString target = file("callback.wav");
        writeAll(target, "old content");
        try {
            WebTransfer::download(url(songPath(1)), target,
                                  [](qint64, qint64) { throw qv::Error("stopped by the caller"); });
            QFAIL("no error raised");
        } catch (const qv::Error& e) {
            QCOMPARE(e.text(), QStringLiteral("stopped by the caller"));
        }
        QCOMPARE(readAll(target), QByteArray("old content"));
    }

    void httpGetReportsWork() {
        HttpGet http;
        QSignalSpy begin(&http, &HttpGet::workBegin);
        QSignalSpy work(&http, &HttpGet::work);
        QSignalSpy end(&http, &HttpGet::workEnd);
        QBuffer out;
        out.open(QIODevice::WriteOnly);

        http.get(url(songPath(1)), out);

        const QByteArray expected = song(1);
        QCOMPARE(out.data(), expected);
        QCOMPARE(begin.size(), 1);
        QCOMPARE(begin.first().first().toLongLong(), expected.size());
        QVERIFY(!work.isEmpty());
        QCOMPARE(work.last().first().toLongLong(), expected.size());
        QCOMPARE(end.size(), 1);
    }

    void httpGetErrorStatus_data() {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("message");
        QTest::newRow("404") << url("/radioplayer/missing.exe") << QString()
                             << QStringLiteral("HTTP/1.1 404 Not Found");
        QTest::newRow("500") << url("/radioplayer/update.exe") << QStringLiteral("http500")
                             << QStringLiteral("HTTP/1.1 500 Internal Server Error");
    }

    // An error page is read with work events but never written, and never
    // reported as a finished transfer.
    void httpGetErrorStatus() {
        QFETCH(QString, address);
        QFETCH(QString, fault);
        QFETCH(QString, message);
        if (!fault.isEmpty())
            portal_.setFaults({fault.toStdString()});
        HttpGet http;
        QSignalSpy begin(&http, &HttpGet::workBegin);
        QSignalSpy end(&http, &HttpGet::workEnd);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        try {
            http.get(address, out);
            QFAIL("no error raised");
        } catch (const qv::Error& e) {
            QCOMPARE(e.text(), message);
        }
        QCOMPARE(out.size(), 0);
        QCOMPARE(begin.size(), 1);
        QCOMPARE(end.size(), 0);
    }

    void httpGetTransferFailure_data() {
        QTest::addColumn<QString>("fault");
        QTest::newRow("truncated") << QStringLiteral("truncated");
        QTest::newRow("silent server") << QStringLiteral("hang");
    }

    void httpGetTransferFailure() {
        QFETCH(QString, fault);
        portal_.setFaults({fault.toStdString()});
        HttpGet http;
        QSignalSpy end(&http, &HttpGet::workEnd);
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QVERIFY_THROWS_EXCEPTION(qv::Error, http.get(url("/radioplayer/update.exe"), out));
        QCOMPARE(end.size(), 0);

        QVERIFY_THROWS_EXCEPTION(qv::Error, http.get(refusedUrl(), out));
        QCOMPARE(end.size(), 0);
    }

    // Quitting the application ends every running transfer.
    void cancelledWhenApplicationQuits() {
        portal_.setFaults({"hang"});
        WebTransfer::setIdleTimeout(10000);
        const QString target = file("quit.wav");
        writeAll(target, "old content");
        const auto quitSoon = [] { QTimer::singleShot(200, [] { QCoreApplication::exit(0); }); };

        QElapsedTimer clock;
        clock.start();
        quitSoon();
        QVERIFY_THROWS_EXCEPTION(qv::Cancelled, WebTransfer::download(url(songPath(1)), target));
        QCOMPARE(readAll(target), QByteArray("old content"));
        // Once quitting, later transfers end at once as well.
        QVERIFY(!WebTransfer::tryDownloadToFile(url(songPath(1)), target));

        leaveQuitting(); // for the next transfer

        HttpGet http;
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        quitSoon();
        QVERIFY_THROWS_EXCEPTION(qv::Cancelled, http.get(url("/radioplayer/update.exe"), out));
        QVERIFY(clock.elapsed() < 5000);
        WebTransfer::setIdleTimeout(500);
    }
};

QTEST_GUILESS_MAIN(TestWebTransfer)
#include "test_webtransfer.moc"
