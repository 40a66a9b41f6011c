// SPDX-License-Identifier: GPL-3.0-or-later
#include "program.h"

#include "form1.h"
#include "instanceguard.h"
#include "mediaplayer.h"
#include "messages.h"
#include "secondarywindows.h"
#include "servertime.h"
#include "windowing.h"

#include <QApplication>

namespace qv {

std::unique_ptr<Form1> startProgram(std::unique_ptr<MediaPlayer> player, UpdateCheck check) {
    // The application's name, not its display name: Qt would append a display
    // name to every window caption.
    QCoreApplication::setApplicationName(kAppTitle);
    QGuiApplication::setDesktopFileName(QStringLiteral("qvplayer"));
    // Closing the main window ends the program even with other windows open.
    QApplication::setQuitOnLastWindowClosed(false);

    auto form1 = std::make_unique<Form1>(std::move(player));
    form1->FormCreate();
    // The main window goes on screen now, not after every other window has
    // been built; user input waits, since those windows do not exist yet.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);

    SecondaryWindows& w = form1->windows;
    w.aboutBox = std::make_unique<AboutBox>(*form1);
    w.form5 = std::make_unique<Form5>(*form1);
    w.form3 = std::make_unique<Form3>(*form1);
    w.form9 = std::make_unique<Form9>(*form1);
    w.form10 = std::make_unique<Form10>(*form1);
    w.form11 = std::make_unique<Form11>(*form1);
    w.form11->FormCreate(); // reads the hotkeys and registers them
    w.form12 = std::make_unique<Form12>(*form1);
    w.form13 = std::make_unique<Form13>(*form1);
    w.form14 = std::make_unique<Form14>(*form1);
    w.form15 = std::make_unique<Form15>(*form1);
    w.form16 = std::make_unique<Form16>(*form1);
    w.form17 = std::make_unique<Form17>(*form1);
    for (QWidget* window : std::initializer_list<QWidget*>{
             w.aboutBox.get(), w.form5.get(), w.form3.get(), w.form9.get(), w.form10.get(),
             w.form11.get(), w.form12.get(), w.form13.get(), w.form14.get(), w.form15.get(),
             w.form16.get(), w.form17.get()})
        windowing::followMainWindow(*window, *form1);
    // The check processes events while it runs: every window it could lead
    // to must exist by then.
    if (check == UpdateCheck::Run)
        w.form3->FormCreate();
    // Only now: the desktop's commands need the windows and must not run
    // while the check holds the player.
    form1->startMediaControls();
    return form1;
}

void answerLaterStarts(InstanceGuard& guard, Form1& form1) {
    guard.serve([&form1](const QString& activationToken) {
        if (form1.ending())
            return false;
        // A Wayland compositor lets the window take the focus with the token
        // of the start that asked; Qt reads it from here.
        if (!activationToken.isEmpty() &&
            QGuiApplication::platformName() == QLatin1StringView("wayland"))
            qputenv("XDG_ACTIVATION_TOKEN", activationToken.toUtf8());
        // The X server's time of the request, not of the player's last input.
        if (QWindow* window = form1.windowHandle()) {
            x11::afterServerTime(*window, [&form1] {
                if (!form1.ending())
                    form1.Showwindow1Click();
            });
        } else {
            form1.Showwindow1Click();
        }
        return true;
    });
}

} // namespace qv
