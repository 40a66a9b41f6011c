#include "form1.h"
#include "mpvplayer.h"
#include "program.h"

#include <QApplication>
#include <clocale>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // libmpv refuses to start under a numeric locale other than "C".
    std::setlocale(LC_NUMERIC, "C");
    const auto form1 = qv::startProgram(std::make_unique<qv::MpvPlayer>());
    return app.exec();
}
