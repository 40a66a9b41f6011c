// SPDX-License-Identifier: GPL-3.0-or-later
// Times playing a song through the real main window and libmpv against a
// local demo portal: from pressing "Play" until the player reports playing
// and until the position advances, and the CPU and memory the player uses
// while a song plays.
//
// Usage: qv-playbench [--servers-ini FILE [--portal-log FILE]]
//   --servers-ini: play from a demo portal running in another process (its
//   servers.ini), so the figures hold the player alone; --portal-log: that
//   portal's request log, to tell whether it served requests while the CPU
//   was measured. Without them the portal runs in this process.
//
// Prints "key value..." lines on stdout (bench/play makes the table):
//   playing_ms MEDIAN MIN MAX, moving_ms MEDIAN MIN MAX, cpu_percent P,
//   rss_mb MB, note TEXT.
#include "benchinstall.h"
#include "catalogue.h"
#include "demoportal.h"
#include "form1.h"
#include "messagerecorder.h"
#include "mpvplayer.h"
#include "program.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr int kRuns = 10;
constexpr int kCpuSeconds = 20;

// Runs the event loop until done() holds, checking every millisecond; the
// milliseconds that took, or -1 after boundMs.
double waitFor(const std::function<bool()>& done, int boundMs) {
    QElapsedTimer clock;
    clock.start();
    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    double took = -1;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done()) {
            took = clock.nsecsElapsed() / 1e6;
            loop.quit();
        } else if (clock.elapsed() > boundMs) {
            loop.quit();
        }
    });
    poll.start(1);
    loop.exec();
    return took;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

std::size_t lineCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    return std::size_t(file.readAll().count('\n'));
}

double residentMb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    }
    return 0;
}

int fail(const char* what) {
    std::fprintf(stderr, "play: %s\n", what);
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    // Offscreen unless told otherwise (bench/play shows the window on its Xvfb).
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (!qv::MpvPlayer::available())
        return fail("libmpv cannot be loaded");

    QString serversIni, portalLog;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--servers-ini") && i + 1 < args.size())
            serversIni = args[++i];
        else if (args[i] == QLatin1String("--portal-log") && i + 1 < args.size())
            portalLog = args[++i];
        else
            return fail("usage: qv-playbench [--servers-ini FILE [--portal-log FILE]]");
    }
    const bool external = !serversIni.isEmpty();
    if (external && !QFile::exists(serversIni))
        return fail("the servers.ini given does not exist");
    BenchInstall install(serversIni);
    qv::MessageRecorder quiet;

    // No sound device here: the null audio output, as the tests use.
    QString ao = qEnvironmentVariable("QV_BENCH_AO", QStringLiteral("null"));
    const auto form1 = qv::startProgram(
        std::make_unique<qv::MpvPlayer>(nullptr, QStringList{QStringLiteral("ao=") + ao}),
        qv::UpdateCheck::Skip);
    qv::MediaPlayer& player = *form1->WindowsMediaPlayer1;
    form1->ComboBox1->setEditText(QStringLiteral("Jazz"));
    form1->sBitBtn5->click();
    if (form1->ListBox1->count() == 0)
        return fail("the search found nothing");

    // Songs long enough not to end during a run, and the longest for the CPU figure.
    const auto songs =
        demo::catalogue::pageSongs(18, 1, demo::catalogue::Order::Score); // Jazz, as listed
    std::vector<int> rows;
    int longest = 0;
    for (int row = 0; row < int(songs.size()); ++row) {
        const int seconds = demo::catalogue::songSeconds(songs[std::size_t(row)]);
        if (seconds >= 10)
            rows.push_back(row);
        if (seconds > demo::catalogue::songSeconds(songs[std::size_t(longest)]))
            longest = row;
    }
    if (int(rows.size()) <= kRuns)
        return fail("too few long songs");

    std::vector<double> playingMs, movingMs;
    for (int run = 0; run <= kRuns; ++run) { // run 0 loads libmpv and warms up
        form1->ListBox1->setCurrentRow(rows[std::size_t(run)]);
        QElapsedTimer clock;
        clock.start();
        double playing = -1;
        const auto watch = QObject::connect(&player, &qv::MediaPlayer::StatusChange, [&] {
            if (playing < 0 && player.status() == QLatin1String("Playing"))
                playing = clock.nsecsElapsed() / 1e6;
        });
        form1->sBitBtn3->click();
        double moving = -1;
        waitFor(
            [&] {
                if (moving < 0 && player.currentPosition() > 0)
                    moving = clock.nsecsElapsed() / 1e6;
                return moving >= 0 && playing >= 0;
            },
            5000);
        QObject::disconnect(watch);
        if (moving < 0 || playing < 0)
            return fail("a song did not start within 5 s");
        if (run > 0) {
            playingMs.push_back(playing);
            movingMs.push_back(moving);
        }
    }

    form1->ListBox1->setCurrentRow(longest);
    form1->sBitBtn3->click();
    if (waitFor([&] { return player.currentPosition() > 1; }, 5000) < 0)
        return fail("the long song did not start");
    const auto requestCount = [&] {
        return external ? lineCount(portalLog) : install.portal.requestLog().size();
    };
    const std::size_t requests = requestCount();
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        // No polling meanwhile: a timer every millisecond would cost more than playing.
        QEventLoop loop;
        QTimer::singleShot(kCpuSeconds * 1000, Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = 100 * (cpuSeconds() - cpuBefore) / (wall.nsecsElapsed() / 1e9);
    const double rss = residentMb();
    const bool stillPlaying = player.playState() == qv::MediaPlayer::PlayState::Playing;
    const bool portalIdle = (external && portalLog.isEmpty()) || requestCount() == requests;
    if (!quiet.records.isEmpty()) {
        std::fprintf(stderr, "play: the player said: %s\n", qPrintable(quiet.records.first().text));
        return 1;
    }

    const Figures p = figures(playingMs), m = figures(movingMs);
    std::printf("playing_ms %.1f %.1f %.1f\n", p.median, p.min, p.max);
    std::printf("moving_ms %.1f %.1f %.1f\n", m.median, m.min, m.max);
    std::printf("cpu_percent %.2f\n", cpu);
    std::printf("rss_mb %.1f\n", rss);
    std::printf("note qvplayer: audio output \"%s\", the demo portal %s%s%s\n", qPrintable(ao),
                external ? "in another process (not counted)" : "in the same process (counted)",
                stillPlaying ? "" : "; the song had ended before the 20 s were up",
                portalIdle ? "" : "; the portal served requests during the CPU measurement");
    return 0;
}
