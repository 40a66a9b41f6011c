#include "form1.h"
#include "mpvplayer.h"
#include "program.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[]) {
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
