// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the installation's generated files into a directory at build time:
// "servers.ini" with the built-in server addresses and the icon "qvplayer.png".
// Both come from the program's own code, so they cannot drift from it.
#include "error.h"
#include "programpicture.h"
#include "servers.h"
#include "textfile.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <cstdio>

namespace {

constexpr int kIconSize = 256;

int fail(const QString& text) {
    std::fprintf(stderr, "install-files: %s\n", qPrintable(text));
    return 1;
}

} // namespace

int main(int argc, char* argv[]) {
    // Painting the icon needs a GUI application but never a screen.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "Usage: install-files DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    if (!dir.mkpath(QStringLiteral(".")))
        return fail(QStringLiteral("cannot create ") + dir.absolutePath());
    try {
        const qv::Servers defaults = qv::Servers::defaults();
        const QString ini = dir.filePath(QStringLiteral("servers.ini"));
        qv::text::writeBytes(ini, defaults.toIni());
        // A file the player would read differently is worse than none.
        if (!(qv::Servers::load(ini) == defaults))
            return fail(ini + QStringLiteral(" does not read back as the built-in addresses"));

        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!qv::programPicture(kIconSize).save(&buffer, "PNG"))
            return fail(QStringLiteral("cannot encode the icon as PNG"));
        qv::text::writeBytes(dir.filePath(QStringLiteral("qvplayer.png")), png);
    } catch (const qv::Error& e) {
        return fail(e.text());
    }
    return 0;
}
