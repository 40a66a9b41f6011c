// SPDX-License-Identifier: GPL-3.0-or-later
// Times the gap between two songs through the real main window and libmpv
// against a local demo portal: a list of songs of 2.3 to 3.7 s, none a whole
// number of seconds, played from the first. For each song the gap runs from
// its end until the next song's position is first reported above 0. The end
// is when its last sound plays: reckoned from its last position report (the
// time of that report, less the position, plus the song's length), as
// libmpv reports the end of a file when the last sound is handed to the
// audio output, which then still plays (0.6 s with the null output). The
// time from that report is given as well.
//
// Usage: qv-gapbench [--servers-ini FILE] [--songs N]
//   --servers-ini: play from a demo portal running in another process (its
//   servers.ini); without it the portal runs in this process.
//   --songs: the number of gaps to time (default 20).
//
// Prints "key value..." lines on stdout (bench/gap makes the table):
//   gap_ms MEDIAN MIN MAX (from the last sound), report_gap_ms MEDIAN MIN MAX
//   (from the end report), gaps_ms EACH..., lengths_ms EACH..., note TEXT.
#include "benchinstall.h"
#include "figures.h"
#include "form1.h"
#include "listrows.h"
#include "messagerecorder.h"
#include "mpvplayer.h"
#include "program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

int fail(const char* what) {
    std::fprintf(stderr, "gap: %s\n", what);
    return 1;
}

// Lengths spread over 2.3 to 3.7 s, each different and with a fraction of a
// second, so the ends fall at every point of the player's one-second tick.
std::vector<int> songLengthsMs(int count) {
    std::vector<int> lengths;
    quint32 x = 0x9e3779b9U;
    while (int(lengths.size()) < count) {
        x = x * 1664525U + 1013904223U;
        const int ms = 2300 + int((x >> 8) % 1401);
        if (ms % 1000 != 0 && std::find(lengths.begin(), lengths.end(), ms) == lengths.end())
            lengths.push_back(ms);
    }
    return lengths;
}

// The demo portal's song of that many milliseconds, in no list: "99" and the
// milliseconds in five digits (tools/demo-portal/catalogue.h). Spelt out here
// so that this file also builds against the sources of earlier revisions.
QString timedSong(int ms) {
    return QStringLiteral("99%1").arg(ms, 5, 10, QLatin1Char('0'));
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    if (!qv::MpvPlayer::available())
        return fail("libmpv cannot be loaded");

    QString serversIni;
    int gaps = 20;
    const QStringList args = app.arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--servers-ini") && i + 1 < args.size())
            serversIni = args[++i];
        else if (args[i] == QLatin1String("--songs") && i + 1 < args.size())
            gaps = args[++i].toInt();
        else
            return fail("usage: qv-gapbench [--servers-ini FILE] [--songs N]");
    }
    if (gaps < 1)
        return fail("--songs needs a number above 0");
    if (!serversIni.isEmpty() && !QFile::exists(serversIni))
        return fail("the servers.ini given does not exist");
    BenchInstall install(serversIni);
    qv::MessageRecorder quiet;

    const QString ao = qEnvironmentVariable("QV_BENCH_AO", QStringLiteral("null"));
    const auto form1 = qv::startProgram(
        std::make_unique<qv::MpvPlayer>(nullptr, QStringList{QStringLiteral("ao=") + ao}),
        qv::UpdateCheck::Skip);
    qv::MediaPlayer& player = *form1->WindowsMediaPlayer1;

    // One more song than gaps: the last gap is the one into the last song.
    const std::vector<int> lengths = songLengthsMs(gaps + 1);
    const QString portal = qv::Servers::current().portal;
    QStringList urls;
    for (const int ms : lengths) {
        const QString number = timedSong(ms);
        qv::rows::append(*form1->ListBox1, QStringLiteral("Song of %1 ms").arg(ms));
        form1->ListBox2 << portal + QStringLiteral("/listen/") + number + QLatin1Char('/');
        urls << portal + QStringLiteral("/audio/download/") + number;
    }

    // The song playing and, once it has ended, when the player said so: its
    // report, or the first report after it when the program went on to the
    // next song while handling it (then this slot sees the next address first).
    QElapsedTimer clock;
    clock.start();
    const std::size_t songs = lengths.size();
    std::size_t playing = 0;
    std::vector<double> reportedAt(songs, -1), movingAt(songs, -1);
    std::vector<double> lastReportAt(songs, -1), lastPosition(songs, -1);
    QObject::connect(&player, &qv::MediaPlayer::StatusChange, [&] {
        if (reportedAt[playing] >= 0)
            return;
        if (player.url() != urls[qsizetype(playing)] ||
            (player.playState() == qv::MediaPlayer::PlayState::Stopped &&
             player.status() == QLatin1String("Media ended")))
            reportedAt[playing] = clock.nsecsElapsed() / 1e6;
    });

    QEventLoop loop;
    QTimer poll;
    poll.setTimerType(Qt::PreciseTimer);
    bool timedOut = false;
    const qint64 boundMs = (qint64(gaps) + 1) * (3700 + 3000);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (clock.elapsed() > boundMs) {
            timedOut = true;
            loop.quit();
            return;
        }
        const qsizetype now = urls.indexOf(player.url());
        if (now < 0)
            return;
        const auto song = std::size_t(now);
        const double position = player.currentPosition();
        const double at = clock.nsecsElapsed() / 1e6;
        if (movingAt[song] < 0 && position > 0)
            movingAt[song] = at;
        // Until the song has ended: the position reports after it are the
        // next song's, or a stopped player's.
        if (position > 0 && position != lastPosition[song] && reportedAt[song] < 0) {
            lastPosition[song] = position;
            lastReportAt[song] = at;
        }
        if (song == playing + 1)
            playing = song;
        if (playing == std::size_t(gaps) && movingAt[playing] >= 0)
            loop.quit();
    });
    poll.start(1);
    form1->ListBox1->setCurrentRow(0);
    form1->sBitBtn3->click();
    loop.exec();
    if (timedOut)
        return fail("the songs did not follow each other in time");
    if (!quiet.records.isEmpty()) {
        std::fprintf(stderr, "gap: the player said: %s\n", qPrintable(quiet.records.first().text));
        return 1;
    }

    std::vector<double> gapMs, reportGapMs;
    for (std::size_t i = 0; i < std::size_t(gaps); ++i) {
        if (reportedAt[i] < 0 || lastReportAt[i] < 0 || movingAt[i + 1] < 0)
            return fail("a song's end or the next one's start went unseen");
        const double lastSound = lastReportAt[i] - 1000 * lastPosition[i] + lengths[i];
        gapMs.push_back(movingAt[i + 1] - lastSound);
        reportGapMs.push_back(movingAt[i + 1] - reportedAt[i]);
    }
    const Figures f = figures(gapMs), r = figures(reportGapMs);
    std::printf("gap_ms %.1f %.1f %.1f\n", f.median, f.min, f.max);
    std::printf("report_gap_ms %.1f %.1f %.1f\n", r.median, r.min, r.max);
    std::printf("gaps_ms");
    for (const double g : gapMs)
        std::printf(" %.1f", g);
    std::printf("\nlengths_ms");
    for (int i = 0; i < gaps; ++i)
        std::printf(" %d", lengths[std::size_t(i)]);
    std::printf("\nnote qvplayer: audio output \"%s\", %d gaps, position checked every 1 ms\n",
                qPrintable(ao), gaps);
    return 0;
}
