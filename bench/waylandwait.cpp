// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and reports how long it takes until weston shows one of
// its top-level windows with a title containing a given text: the first
// commit of a buffer to that window's surface, as weston's timeline debug
// stream records it (weston --debug, then weston-debug timeline -o FILE).
//
// Usage: qv-waylandwait --timeline FILE --name TEXT [--timeout SECONDS] -- COMMAND [ARGS...]
//
// On success prints "MILLISECONDS PID" and exits 0, leaving the program
// running in its own process group (the caller ends it with kill -- -PID).
// The program's own output goes to stderr. On a time-out or an early exit of
// the program it prints why on stderr, ends the program's process group and
// exits 2 or 3.
//
// weston 10 stamps each event of the stream with CLOCK_MONOTONIC (not with its
// presentation clock, which is CLOCK_MONOTONIC_RAW on the headless backend):
// the time is read from the stamp, so how late the stream reaches the file
// does not count. A stamp before the start or after the moment it is read
// means the clocks differ, and the helper says so (exit 4) rather than
// report a wrong figure. A surface's first commit without a buffer (the request for its
// first configure) records no damage, so the first "core_commit_damage" is the
// first frame.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <string_view>

namespace {

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

void endGroup(pid_t pid) {
    kill(-pid, SIGTERM);
    for (int i = 0; i < 20; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(50'000);
    }
    kill(-pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// The number after `"key":` in a line of the stream, or -1.
long long field(std::string_view line, std::string_view key) {
    const std::string quoted = "\"" + std::string(key) + "\":";
    const size_t at = line.find(quoted);
    if (at == std::string_view::npos)
        return -1;
    return std::strtoll(line.data() + at + quoted.size(), nullptr, 10);
}

int usage() {
    std::fputs("usage: qv-waylandwait --timeline FILE --name TEXT [--timeout SECONDS] -- COMMAND "
               "[ARGS...]\n",
               stderr);
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    std::string timeline;
    std::string name;
    double timeoutS = 20;
    int cmd = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--" && i + 1 < argc) {
            cmd = i + 1;
            break;
        }
        if (a == "--timeline" && i + 1 < argc)
            timeline = argv[++i];
        else if (a == "--name" && i + 1 < argc)
            name = argv[++i];
        else if (a == "--timeout" && i + 1 < argc)
            timeoutS = std::atof(argv[++i]);
        else
            return usage();
    }
    if (cmd < 0 || name.empty() || timeline.empty() || timeoutS <= 0)
        return usage();

    const int fd = open(timeline.c_str(), O_RDONLY);
    if (fd < 0) {
        std::fprintf(stderr, "qv-waylandwait: cannot read %s: %s\n", timeline.c_str(),
                     std::strerror(errno));
        return 69;
    }
    lseek(fd, 0, SEEK_END); // only what happens from now on

    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("qv-waylandwait: fork");
        return 71;
    }
    if (pid == 0) {
        setpgid(0, 0);
        close(fd);
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[cmd], argv + cmd);
        std::fprintf(stderr, "qv-waylandwait: cannot run %s: %s\n", argv[cmd],
                     std::strerror(errno));
        _exit(127);
    }
    setpgid(pid, pid);

    const std::string wanted = "\"desc\":\"top-level window '";
    std::set<long long> surfaces; // timeline ids of the program's matching windows
    std::string pending;
    const double deadline = start + timeoutS * 1e3;
    for (;;) {
        char buffer[65536];
        ssize_t n = 0;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, static_cast<size_t>(n));
            size_t end = 0;
            while ((end = pending.find('\n')) != std::string::npos) {
                const std::string_view line(pending.data(), end);
                if (line.find("\"type\":\"weston_surface\"") != std::string_view::npos) {
                    // A description gives the title as it is when weston first
                    // reports the surface; a later title change is not followed.
                    const size_t at = line.find(wanted);
                    if (at != std::string_view::npos &&
                        line.substr(at + wanted.size()).find(name) != std::string_view::npos)
                        surfaces.insert(field(line, "id"));
                } else if (line.find("\"N\":\"core_commit_damage\"") != std::string_view::npos &&
                           surfaces.count(field(line, "ws"))) {
                    const size_t t = line.find("\"T\":[");
                    long long seconds = 0;
                    long long nanoseconds = 0;
                    if (t != std::string_view::npos &&
                        std::sscanf(line.data() + t + 5, "%lld, %lld", &seconds, &nanoseconds) ==
                            2) {
                        const double at = static_cast<double>(seconds) * 1e3 +
                                          static_cast<double>(nanoseconds) / 1e6;
                        if (at < start || at > nowMs() + 1) {
                            std::fputs("qv-waylandwait: the stream's stamps are not "
                                       "CLOCK_MONOTONIC\n",
                                       stderr);
                            endGroup(pid);
                            return 4;
                        }
                        std::printf("%.1f %d\n", at - start, static_cast<int>(pid));
                        std::fflush(stdout);
                        return 0;
                    }
                }
                pending.erase(0, end + 1);
            }
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(
                stderr, "qv-waylandwait: %s exited (status %d) before its window appeared\n",
                argv[cmd], WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
            kill(-pid, SIGKILL);
            return 3;
        }
        if (nowMs() >= deadline) {
            std::fprintf(stderr,
                         "qv-waylandwait: weston showed no window titled \"%s\" within %g s\n",
                         name.c_str(), timeoutS);
            endGroup(pid);
            return 2;
        }
        // A file has no readiness to wait on; the stamps make the polling
        // interval irrelevant to the figure.
        usleep(5'000);
    }
}
