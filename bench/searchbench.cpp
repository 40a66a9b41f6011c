// SPDX-License-Identifier: GPL-3.0-or-later
// Times the search through the real main window against a local demo portal,
// and the list page scan on its own. Prints one Markdown table.
#include "benchinstall.h"
#include "demoportal.h"
#include "fakemediaplayer.h"
#include "form1.h"
#include "listscan.h"
#include "messagerecorder.h"
#include "program.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 10;

// Rows as a crowded real page writes them, padded with rows the scan skips, to 1 MB.
QString megabytePage() {
    QString page = QStringLiteral("<html><body><table class=\"audiolist\">\n");
    const QString filler =
        QStringLiteral("<tr class=\"odd\"><td class=\"listnum\">7</td><td class=\"listartist\">"
                       "<a href=\"/users/artist7/\">artist7</a></td><td>3:12</td></tr>\n");
    for (int i = 1; i <= 50; ++i) {
        page += QStringLiteral("<tr><td class=\"listtitle\"><a href=\"http://127.0.0.1/listen/"
                               "%1/\">Song %1 - Caf&eacute;</a></td></tr>\n")
                    .arg(1800000 + i);
        const qsizetype target = qsizetype(i) * (1 << 20) / 50;
        while (page.size() < target)
            page += filler;
    }
    return page + QStringLiteral("</table></body></html>\n");
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    BenchInstall install;
    qv::MessageRecorder quiet;

    const auto form1 =
        qv::startProgram(std::make_unique<qv::FakeMediaPlayer>(), qv::UpdateCheck::Skip);
    form1->ComboBox1->setEditText(QStringLiteral("Jazz"));
    form1->sComboBox2->setEditText(QStringLiteral("200"));
    form1->sEdit1->setText(QStringLiteral("1"));

    // The longest time the window went without handling events: a timer that
    // wants to run every millisecond notes the gaps between its runs.
    QElapsedTimer sinceTick;
    double longestStall = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestStall = std::max(longestStall, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });

    std::vector<double> searchMs, stallMs;
    int entries = 0;
    for (int run = 0; run <= kRuns; ++run) { // run 0 warms up
        longestStall = 0;
        ticker.start(1);
        sinceTick.start();
        QElapsedTimer t;
        t.start();
        form1->sBitBtn5->click();
        const double ms = t.nsecsElapsed() / 1e6;
        ticker.stop();
        if (run > 0) {
            searchMs.push_back(ms);
            stallMs.push_back(std::max(longestStall, sinceTick.nsecsElapsed() / 1e6));
        }
        entries = form1->ListBox1->count();
    }
    if (!quiet.records.isEmpty()) {
        std::fprintf(stderr, "search: the search said: %s\n",
                     qPrintable(quiet.records.first().text));
        return 1;
    }

    // A portal that takes a quarter second for every page, as a dynamic page
    // behind a content network does: four pages against one.
    install.portal.setFaults({"lag"});
    const auto timedSearch = [&](const char* results) {
        form1->sComboBox2->setEditText(QLatin1String(results));
        std::vector<double> ms;
        for (int run = 0; run <= kRuns; ++run) {
            QElapsedTimer t;
            t.start();
            form1->sBitBtn5->click();
            if (run > 0)
                ms.push_back(t.nsecsElapsed() / 1e6);
        }
        return figures(ms);
    };
    const Figures lagged = timedSearch("200");
    const int laggedEntries = form1->ListBox1->count();
    const Figures onePage = timedSearch("50");
    install.portal.setFaults({});
    if (!quiet.records.isEmpty() || laggedEntries != entries) {
        std::fprintf(stderr, "search: the lagging search went wrong (%d entries)\n", laggedEntries);
        return 1;
    }

    const QString page = megabytePage();
    std::vector<double> scanMs;
    std::size_t taken = 0;
    for (int run = 0; run <= kRuns; ++run) {
        QElapsedTimer t;
        t.start();
        taken = qv::catalogue::scanListPage(page).size();
        if (run > 0)
            scanMs.push_back(t.nsecsElapsed() / 1e6);
    }
    const double mb = page.size() / double(1 << 20);

    const Figures s = figures(searchMs), st = figures(stallMs), sc = figures(scanMs);
    std::printf("| Measure | Median | Min | Max | Aim |\n|---|---:|---:|---:|---|\n");
    std::printf(
        "| \"Search\", 200 results (4 pages, %d entries), ms | %.1f | %.1f | %.1f | < 150 |\n",
        entries, s.median, s.min, s.max);
    std::printf("| Longest event-loop stall during it, ms | %.1f | %.1f | %.1f | < 50 |\n",
                st.median, st.min, st.max);
    std::printf("| \"Search\", 200 results, portal 250 ms per page, ms | %.1f | %.1f | %.1f | "
                "≤ 1.5x one page |\n",
                lagged.median, lagged.min, lagged.max);
    std::printf("| \"Search\", 50 results (one page), portal 250 ms per page, ms | %.1f | %.1f | "
                "%.1f | |\n",
                onePage.median, onePage.min, onePage.max);
    std::printf("| 200 results against one page, medians | %.2f | | | ≤ 1.5 |\n",
                lagged.median / onePage.median);
    std::printf("| Scan of a %.2f MB page (%zu entries), ms | %.2f | %.2f | %.2f | |\n", mb, taken,
                sc.median, sc.min, sc.max);
    std::printf("| Scan throughput, MB/s | %.0f | %.0f | %.0f | |\n", mb / (sc.median / 1000),
                mb / (sc.max / 1000), mb / (sc.min / 1000));
    return 0;
}
