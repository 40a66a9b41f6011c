// SPDX-License-Identifier: GPL-3.0-or-later
// Times loading and showing a large own playlist and moving one of its
// entries, through the real main window. Prints one Markdown table.
#include "benchinstall.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "messagerecorder.h"
#include "program.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <cstdio>

namespace {

constexpr int kRuns = 10;
constexpr int kEntries = 10000;

void writePlaylist(const QString& path) {
    QByteArray bytes;
    for (int i = 1; i <= kEntries; ++i) {
        bytes += QStringLiteral("Song %1 - Caf\u00e9 Nocturne by Artist %2\r\n"
                                "http://127.0.0.1/listen/%3/\r\n")
                     .arg(i)
                     .arg(i % 97)
                     .arg(1800000 + i)
                     .toUtf8();
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "playlist: cannot write %s\n", qPrintable(path));
}

template <typename Step> std::vector<double> timed(Step step) {
    std::vector<double> ms;
    for (int run = 0; run <= kRuns; ++run) { // run 0 warms up
        QElapsedTimer t;
        t.start();
        step();
        QCoreApplication::processEvents(); // the list is laid out and painted
        if (run > 0)
            ms.push_back(t.nsecsElapsed() / 1e6);
    }
    return ms;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    BenchInstall install;
    writePlaylist(qv::paths::exeFile(QStringLiteral("Playlists/Big.qvl")));
    QFile names(qv::paths::exeFile(QStringLiteral("Playlists/playlists.ini")));
    names.open(QIODevice::WriteOnly);
    names.write("Big\r\n");
    names.close();
    qv::MessageRecorder quiet;

    const auto form1 =
        qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
    QCoreApplication::processEvents();

    const std::vector<double> load = timed([&] { form1->sButton4Click(); });
    const int shown = form1->sListBox1->count();
    form1->sListBox1->setCurrentRow(kEntries / 2);
    const std::vector<double> move = timed([&] { form1->Moveup1Click(); });
    if (!quiet.records.isEmpty() || shown != kEntries) {
        std::fprintf(stderr, "playlist: %d entries shown; %s\n", shown,
                     quiet.records.isEmpty() ? "" : qPrintable(quiet.records.first().text));
        return 1;
    }

    const Figures l = figures(load), m = figures(move);
    std::printf("| Measure | Median | Min | Max | Aim |\n|---|---:|---:|---:|---|\n");
    std::printf(
        "| \"Own Playlist\" with %d entries, load and show, ms | %.1f | %.1f | %.1f | < 100 |\n",
        kEntries, l.median, l.min, l.max);
    std::printf("| \"Move up\" in it (file read and written), ms | %.1f | %.1f | %.1f | < 100 |\n",
                m.median, m.min, m.max);
    return 0;
}
