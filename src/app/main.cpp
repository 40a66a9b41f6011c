// SPDX-License-Identifier: GPL-3.0-or-later
#include "form1.h"
#include "instanceguard.h"
#include "mpvplayer.h"
#include "paths.h"
#include "program.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[]) {
    // The player draws only in software: on Wayland, Qt would otherwise set up
    // EGL for every window anyway, which costs about 50 MB and 60 ms at start.
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION"))
        qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
    QApplication app(argc, argv);
    // One player per installation folder: a second one would write the
    // playlists from a stale list of names. A later start brings the running
    // player's window back and ends before it reads or writes anything.
    qv::InstanceGuard guard(qv::paths::exeDir());
    if (const auto claim = guard.claim(); claim == qv::InstanceGuard::Claim::Forwarded ||
                                          claim == qv::InstanceGuard::Claim::Unanswered)
        return 0;
    // libmpv refuses to start under a numeric locale other than "C".
    std::setlocale(LC_NUMERIC, "C");
    // Extra libmpv options, "name=value" separated by blanks: "ao=null" plays
    // silently on a machine without a sound device.
    const QStringList mpvOptions =
        qEnvironmentVariable("QVPLAYER_MPV_OPTIONS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto form1 = qv::startProgram(std::make_unique<qv::MpvPlayer>(nullptr, mpvOptions));
    qv::answerLaterStarts(guard, *form1);
    const int status = app.exec();
    guard.stopServing();
    return status;
}
