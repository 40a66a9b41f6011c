#include "form1.h"
#include "mpvplayer.h"
#include "program.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[]) {
    // The player draws only in software: on Wayland, Qt would otherwise set up
    // EGL for every window anyway, which costs about 50 MB and 60 ms at start.
    if (!qEnvironmentVariableIsSet("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION"))
        qputenv("QT_WAYLAND_CLIENT_BUFFER_INTEGRATION", "none");
    QApplication app(argc, argv);
    // libmpv refuses to start under a numeric locale other than "C".
    std::setlocale(LC_NUMERIC, "C");
    // Extra libmpv options, "name=value" separated by blanks: "ao=null" plays
    // silently on a machine without a sound device.
    const QStringList mpvOptions =
        qEnvironmentVariable("QVPLAYER_MPV_OPTIONS").split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const auto form1 = qv::startProgram(std::make_unique<qv::MpvPlayer>(nullptr, mpvOptions));
    return app.exec();
}
