// SPDX-License-Identifier: GPL-3.0-or-later
#include "boundary.h"
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "instanceguard.h"
#include "program.h"
#include "testfiles.h"
#include "testinstall.h"
#include "testportal.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <chrono>
#include <memory>

using qv::InstanceGuard;
using Claim = InstanceGuard::Claim;
using namespace std::chrono_literals;

namespace {

// Shows the guard's debug lines for QTest::ignoreMessage to expect.
struct GuardLog {
    GuardLog() { QLoggingCategory::setFilterRules(QStringLiteral("qv.instance.debug=true")); }
    ~GuardLog() { QLoggingCategory::setFilterRules(QString()); }
    GuardLog(const GuardLog&) = delete;
    GuardLog& operator=(const GuardLog&) = delete;
    static void expect(const char* pattern) {
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(QLatin1String(pattern)));
    }
};

// A later start of the same folder made by another thread of this process,
// since this one has to answer it. It ends with the guard's answer.
class LaterStart {
public:
    LaterStart(const QString& folder, std::chrono::milliseconds patience)
        : thread_(QThread::create([this, folder, patience] {
              InstanceGuard guard(folder);
              claim_ = guard.claim(patience);
          })) {
        took.start();
        thread_->start();
    }
    ~LaterStart() { thread_->wait(); }
    LaterStart(const LaterStart&) = delete;
    LaterStart& operator=(const LaterStart&) = delete;

    bool done() const { return thread_->isFinished(); }
    Claim claim() const { return claim_; }
    QElapsedTimer took;

private:
    Claim claim_ = Claim::Unguarded;
    std::unique_ptr<QThread> thread_;
};

// A portable installation of the real executable, its servers pointing at
// the portal.
class Installation {
public:
    explicit Installation(const demo::Portal& portal) {
        const QDir root(dir_.path());
        for (const char* sub : {"Playlists", "temp", "updater", "skins"})
            root.mkpath(QLatin1String(sub));
        writeAll(path("Playlists/playlists.ini"), {});
        writeAll(path("updater/version.ini"), "1.36\r\n");
        portal.writeServersIni(path("servers.ini").toStdString());
        QVERIFY(QFile::copy(QStringLiteral(QVPLAYER_PATH), exe()));
    }
    QString path(const QString& relative) const { return dir_.filePath(relative); }
    QString exe() const { return path(QStringLiteral("qvplayer")); }

private:
    QTemporaryDir dir_;
};

} // namespace

class TestInstance : public QObject {
    Q_OBJECT

    demo::Portal portal_{portalWithoutRadio()};
    QTemporaryDir home_; // Qt's own files of the players started here

    // The installed player, started as a desktop would start it: from its
    // folder, headless, with a home of its own and no session bus.
    void startPlayer(QProcess& process, const QString& exe, const QStringList& prefix = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("HOME"), home_.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home_.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_CACHE_HOME"), home_.filePath(QStringLiteral("cache")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), home_.path());
        env.insert(QStringLiteral("QVPLAYER_MPV_OPTIONS"), QStringLiteral("ao=null"));
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        // The leak check at exit needs ptrace, which strace holds.
        env.insert(QStringLiteral("ASAN_OPTIONS"),
                   env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(QFileInfo(exe).path());
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (prefix.isEmpty())
            process.start(exe, {});
        else
            process.start(prefix.first(), prefix.mid(1) + QStringList{exe});
        QVERIFY(process.waitForStarted(5000));
    }

    static bool ended(const QProcess& process) { return process.state() == QProcess::NotRunning; }

    static void stop(QProcess& process) {
        if (ended(process))
            return;
        process.kill();
        process.waitForFinished(5000);
    }

private slots:
    void initTestCase() {
        QVERIFY(home_.isValid()); // made for its owner alone, as XDG_RUNTIME_DIR must be
        portal_.start();
    }

    // ---- The guard in this process ----

    void namesFollowTheCanonicalFolder() {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("inst"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::link(folder, dir.filePath(QStringLiteral("link"))));
        QVERIFY(QDir().mkpath(dir.filePath(QStringLiteral("other"))));
        const QString name = InstanceGuard::serverName(folder);
        QCOMPARE(InstanceGuard::serverName(folder + QStringLiteral("/../inst/")), name);
        QCOMPARE(InstanceGuard::serverName(dir.filePath(QStringLiteral("link"))), name);
        QVERIFY(InstanceGuard::serverName(dir.filePath(QStringLiteral("other"))) != name);
        // An abstract socket name has room for 107 bytes.
        QVERIFY(name.toUtf8().size() < 107);
    }

    void requestsBeforeServingAreKeptAndTokensPassedOn() {
        QTemporaryDir dir;
        InstanceGuard first(dir.path());
        QCOMPARE(first.claim(), Claim::Player);
        QVERIFY(first.listening());
        // A player that has run for hours still holds its folder.
        QFile lock(first.lockPath());
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-3 * 3600),
                                 QFileDevice::FileModificationTime));
        lock.close();

        // The program is still starting: the start is promised a window.
        qputenv("XDG_ACTIVATION_TOKEN", "token-42");
        LaterStart early(dir.path(), 10s);
        QTRY_VERIFY_WITH_TIMEOUT(early.done(), 15000);
        qunsetenv("XDG_ACTIVATION_TOKEN");
        QCOMPARE(early.claim(), Claim::Forwarded);

        QStringList shown;
        first.serve([&](const QString& token) {
            shown << token;
            return true;
        });
        QCOMPARE(shown, QStringList{"token-42"}); // once the program is up

        LaterStart later(dir.path(), 10s);
        QTRY_VERIFY_WITH_TIMEOUT(later.done(), 15000);
        QCOMPARE(later.claim(), Claim::Forwarded);
        QCOMPARE(shown, (QStringList{"token-42", ""}));
    }

    void anEndingPlayerMakesTheStartWaitForItsLock() {
        QTemporaryDir dir;
        auto first = std::make_unique<InstanceGuard>(dir.path());
        QCOMPARE(first->claim(), Claim::Player);
        int asked = 0;
        first->serve([&](const QString&) {
            ++asked;
            return false; // the main window has closed
        });

        LaterStart later(dir.path(), 20s);
        // It asks again and again while the player is still there...
        QTRY_VERIFY_WITH_TIMEOUT(asked >= 2, 10000);
        QVERIFY(!later.done());
        // ...and takes the folder as soon as the lock is free, not at the end
        // of its patience.
        first.reset();
        QTRY_VERIFY_WITH_TIMEOUT(later.done(), 10000);
        QCOMPARE(later.claim(), Claim::Player);
        QVERIFY(later.took.elapsed() < 15000);
    }

    void aLiveHolderThatNeverAnswersKeepsTheFolder() {
        const GuardLog log;
        GuardLog::expect("leaving the folder to it");
        QTemporaryDir dir;
        // A living process holds the lock but answers nobody, as a player
        // whose socket name another program took.
        QLockFile holder(dir.filePath(InstanceGuard::kLockName));
        holder.setStaleLockTime(0);
        QVERIFY(holder.tryLock(0));
        const QByteArray lock = readAll(holder.fileName());

        InstanceGuard later(dir.path());
        QElapsedTimer took;
        took.start();
        QCOMPARE(later.claim(300ms), Claim::Unanswered);
        QVERIFY(took.elapsed() >= 300);
        QVERIFY(!later.listening());
        QCOMPARE(readAll(holder.fileName()), lock);
    }

    void aDeadHoldersNumberReusedByTheSameNameIsTakenOver() {
        const GuardLog log;
        GuardLog::expect("taking the lock over");
        QTemporaryDir dir;
        // A lock left by a killed player whose process number now belongs to
        // another program of the player's name (here this test): it looks
        // alive, but nobody holds the lock and nobody answers.
        const QString path = dir.filePath(InstanceGuard::kLockName);
        writeAll(path, QByteArray::number(QCoreApplication::applicationPid()) + '\n' +
                           QFileInfo(QCoreApplication::applicationFilePath()).fileName().toUtf8() +
                           "\n\n\n\n");

        InstanceGuard later(dir.path());
        QElapsedTimer took;
        took.start();
        QCOMPARE(later.claim(300ms), Claim::Player);
        QVERIFY(took.elapsed() >= 300);
        QVERIFY(later.listening());
        QLockFile third(path);
        QVERIFY(!third.removeStaleLockFile()); // a living holder now
    }

    void aLockThatCannotBeWrittenRunsUnguarded() {
        const GuardLog log;
        GuardLog::expect("cannot write the lock file");
        QTemporaryDir dir;
        // No folder can be made below a file, whoever runs the test.
        const QString file = dir.filePath(QStringLiteral("file"));
        writeAll(file, "x");
        InstanceGuard guard(file + QStringLiteral("/inst"));
        QCOMPARE(guard.claim(1s), Claim::Unguarded);
        QVERIFY(!guard.listening());
    }

    // ---- Real players ----

    void laterStartShowsTheWindowFromTheTrayAndTouchesNothing() {
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        QVERIFY2(!strace.isEmpty(), "strace is missing: scripts/setup installs it");
        TestInstall install;
        install.usePortal(portal_);
        install.writeSettings({"[General]", "Reportstarts=1"});
        writeAll(install.path("Playlists/playlists.ini"), "Mix\r\n");
        writeAll(install.path("Playlists/Mix.qvl"), "Caf&eacute;\r\n/listen/0180001/\r\n");
        const QString exe = install.path("qvplayer");
        QVERIFY(QFile::copy(QStringLiteral(QVPLAYER_PATH), exe));

        // This process is the folder's player, its window in the tray.
        InstanceGuard guard(install.path(""));
        QCOMPARE(guard.claim(), Claim::Player);
        auto form1 = qv::startProgram(std::make_unique<qv::FakeMediaPlayer>());
        qv::answerLaterStarts(guard, *form1);
        form1->trayHost = [] { return true; };
        form1->showMinimized();
        QTRY_VERIFY(form1->isHidden());
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits() > 0, true, 5000);
        const int hits = portal_.counterHits();
        const std::size_t requests = portal_.requestLog().size();
        const QMap<QString, QByteArray> files = snapshot(install.path(""));

        QTemporaryDir traces;
        const QString trace = traces.filePath(QStringLiteral("second.trace"));
        QProcess second;
        startPlayer(second, exe, {strace, "-f", "-qq", "-e", "trace=%file", "-o", trace});
        QTRY_VERIFY_WITH_TIMEOUT(ended(second), 30000);
        QVERIFY2(second.exitStatus() == QProcess::NormalExit && second.exitCode() == 0,
                 second.readAll().constData());
        QVERIFY(form1->isVisible());
        QVERIFY(!form1->isMinimized());

        // No start report, no update check, and not one of the player's files
        // opened: only the lock file and Qt's own look for its plug-ins.
        QCOMPARE(portal_.counterHits(), hits);
        QCOMPARE(portal_.requestLog().size(), requests);
        QCOMPARE(snapshot(install.path("")), files);
        const QByteArray calls = readAll(trace);
        QVERIFY(calls.contains("qvplayer.lock"));
        for (const char* name :
             {"settings.ini", "servers.ini", "Playlists", "temp", "updater", "skins"}) {
            const QByteArray path = QFile::encodeName(install.path(QLatin1String(name)));
            QVERIFY2(!calls.contains(path), name);
        }
        guard.stopServing();
    }

    void playersOfTwoFoldersAndAStartAfterAKill() {
        Installation a(portal_);
        Installation b(portal_);
        int hits = portal_.counterHits();
        QProcess first;
        startPlayer(first, a.exe());
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits(), hits + 1, 30000);
        QProcess other;
        startPlayer(other, b.exe());
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits(), hits + 2, 30000);
        QVERIFY(!ended(first) && !ended(other));

        // Killed outright, the player leaves its lock file behind; the next
        // start takes the folder all the same.
        first.kill();
        QVERIFY(first.waitForFinished(5000));
        QVERIFY(QFileInfo::exists(a.path(InstanceGuard::kLockName)));
        hits = portal_.counterHits();
        QProcess again;
        startPlayer(again, a.exe());
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits(), hits + 1, 30000);
        QVERIFY(!ended(again) && !ended(other));
        stop(again);
        stop(other);
    }

    void startsAtTheSameTimeEndWithOnePlayer() {
        Installation a(portal_);
        const int hits = portal_.counterHits();
        QProcess one;
        QProcess two;
        startPlayer(one, a.exe());
        startPlayer(two, a.exe());
        QTRY_VERIFY_WITH_TIMEOUT(ended(one) || ended(two), 30000);
        QProcess& gone = ended(one) ? one : two;
        QProcess& player = ended(one) ? two : one;
        QVERIFY2(gone.exitStatus() == QProcess::NormalExit && gone.exitCode() == 0,
                 gone.readAll().constData());
        QTRY_COMPARE_WITH_TIMEOUT(portal_.counterHits(), hits + 1, 30000);
        QVERIFY(!ended(player));
        QCOMPARE(readAll(a.path(InstanceGuard::kLockName)).split('\n').value(0),
                 QByteArray::number(player.processId()));
        stop(player);
    }
};

QTEST_MAIN(TestInstance)
#include "test_instance.moc"
