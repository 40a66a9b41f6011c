// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStandardPaths>
#include <QtGlobal>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

// A private X server on a display of its own choosing, so a test never touches
// the desktop it runs on. It dies with the test process, even a killed one.
// Start it before the QApplication and point DISPLAY at display.
class TestXvfb {
public:
    TestXvfb() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const std::string writeEnd = std::to_string(fds[1]);
        pid_ = fork();
        if (pid_ == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
            execlp("Xvfb", "Xvfb", "-displayfd", writeEnd.c_str(), "-nolisten", "tcp", nullptr);
            _exit(127);
        }
        close(fds[1]);
        // Xvfb writes its display number once it accepts clients.
        pollfd p{fds[0], POLLIN, 0};
        std::string number;
        for (char c = 0;
             pid_ > 0 && poll(&p, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n';)
            number += c;
        close(fds[0]);
        if (!number.empty())
            display = std::string(":").append(number);
    }
    ~TestXvfb() {
        if (pid_ > 0) {
            kill(pid_, SIGTERM);
            waitpid(pid_, nullptr, 0);
        }
    }
    TestXvfb(const TestXvfb&) = delete;
    TestXvfb& operator=(const TestXvfb&) = delete;

    std::string display; // empty when the server did not start

private:
    pid_t pid_ = -1;
};

// Before the QApplication exists: Qt goes to a private X server when Xvfb is
// installed, else to the offscreen platform, where the X11 cases skip.
inline void startXvfbOrOffscreen(std::optional<TestXvfb>& xvfb) {
    if (!QStandardPaths::findExecutable(QStringLiteral("Xvfb")).isEmpty())
        xvfb.emplace();
    if (xvfb && xvfb->display.empty())
        qFatal("Xvfb did not start");
    setenv("QT_QPA_PLATFORM", xvfb ? "xcb" : "offscreen", 1);
    if (xvfb)
        setenv("DISPLAY", xvfb->display.c_str(), 1);
}
