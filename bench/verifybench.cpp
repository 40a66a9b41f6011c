// SPDX-License-Identifier: GPL-3.0-or-later
// The installer's signature check on a 50 MB installer: what it adds at the
// end of the download (prehashed, checked as the bytes arrive, and legacy,
// checked at the end), what the hashing costs along the way, and the minisign
// tool on the same file as the reference. Prints one Markdown table.
#include "figures.h"
#include "minisign.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr qsizetype kSize = 50 * 1000 * 1000;
constexpr qsizetype kPiece = 16 * 1024; // what a network read hands over
constexpr int kRuns = 10;

bool run(const QString& dir, const QStringList& arguments, double* ms = nullptr) {
    QProcess p;
    p.setWorkingDirectory(dir);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("minisign"), arguments);
    const bool ok = p.waitForFinished(120000) && p.exitCode() == 0;
    if (ms)
        *ms = double(t.nsecsElapsed()) / 1e6;
    return ok;
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    QByteArray file(kSize, Qt::Uninitialized);
    QRandomGenerator64 random(42);
    random.fillRange(reinterpret_cast<quint64*>(file.data()), kSize / 8);
    {
        QFile out(dir.filePath(QStringLiteral("update.exe")));
        if (!out.open(QIODevice::WriteOnly) || out.write(file) != kSize)
            return 1;
    }
    if (!run(dir.path(), {"-G", "-W", "-p", "key.pub", "-s", "key.sec"}) ||
        !run(dir.path(), {"-S", "-s", "key.sec", "-m", "update.exe", "-x", "ed.minisig"}) ||
        !run(dir.path(),
             {"-S", "-l", "-s", "key.sec", "-m", "update.exe", "-x", "legacy.minisig"})) {
        std::fprintf(stderr, "verifybench: minisign is needed (scripts/setup installs it)\n");
        return 1;
    }
    const auto keys = qv::minisign::parseKeys(QString::fromLatin1(
        readFile(dir.filePath(QStringLiteral("key.pub"))).split('\n').value(1)));

    const auto measure = [&](const QString& signatureName, std::vector<double>& along,
                             std::vector<double>& atEnd) {
        const QByteArray signature = readFile(dir.filePath(signatureName));
        for (int i = 0; i < kRuns + 1; ++i) {
            qv::minisign::Verifier verifier(keys, signature);
            QElapsedTimer t;
            t.start();
            for (qsizetype at = 0; at < kSize; at += kPiece)
                verifier.add(QByteArrayView(file).sliced(at, std::min(kPiece, kSize - at)));
            const double added = double(t.nsecsElapsed()) / 1e6;
            t.restart();
            const bool valid = verifier.finish() == qv::minisign::Verdict::Valid;
            const double finished = double(t.nsecsElapsed()) / 1e6;
            if (!valid)
                return false;
            if (i > 0) { // the first run warms the caches
                along.push_back(added);
                atEnd.push_back(finished);
            }
        }
        return true;
    };
    std::vector<double> edAlong, edEnd, legacyAlong, legacyEnd, tool;
    if (!measure(QStringLiteral("ed.minisig"), edAlong, edEnd) ||
        !measure(QStringLiteral("legacy.minisig"), legacyAlong, legacyEnd))
        return 1;
    for (int i = 0; i < kRuns; ++i) {
        double ms = 0;
        if (!run(dir.path(), {"-V", "-q", "-p", "key.pub", "-m", "update.exe", "-x", "ed.minisig"},
                 &ms))
            return 1;
        tool.push_back(ms);
    }

    const auto row = [](const char* what, std::vector<double> v) {
        const Figures f = figures(std::move(v));
        std::printf("| %s | %.2f | %.2f | %.2f |\n", what, f.median, f.min, f.max);
    };
    std::printf("| 50 MB installer, %d runs | median ms | min | max |\n|---|---:|---:|---:|\n",
                kRuns);
    row("prehashed (ED): added at the end of the download", edEnd);
    row("prehashed (ED): hashing along the download, in all", edAlong);
    row("legacy (Ed): added at the end of the download", legacyEnd);
    row("`minisign -V` on the same file (whole process)", tool);
    return 0;
}
