// SPDX-License-Identifier: GPL-3.0-or-later
// The smallest Qt Widgets program with a window: the floor against which the
// player's start-up time and memory are read.

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    const QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("Bare Qt window"));
    window.resize(640, 480);
    window.show();
    return QApplication::exec();
}
