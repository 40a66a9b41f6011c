// SPDX-License-Identifier: GPL-3.0-or-later
// qv-holdports: another program holding TCP ports while the test suite runs,
// so that no test can depend on ports fixed in advance.
//
//   qv-holdports start PIDFILE SECONDS ADDR:PORT...
//   qv-holdports stop PIDFILE
//
// "start" listens on every ADDR:PORT, then leaves a process in the background
// that answers each connection with "503 Held by another program" and closes
// it, for at most SECONDS. A port some other program listens on already is
// held just as well and is left to it. "stop" ends the process named in
// PIDFILE, after checking that it is one of ours.
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

volatile std::sig_atomic_t stopping = 0;

void onTerm(int) {
    stopping = 1;
}

int usage() {
    std::fputs("usage: qv-holdports start PIDFILE SECONDS ADDR:PORT...\n"
               "       qv-holdports stop PIDFILE\n",
               stderr);
    return 2;
}

// A listening socket on ADDR:PORT; -1 when another program has it already,
// -2 on any other failure (said on stderr).
int listenOn(const std::string& where) {
    const auto colon = where.rfind(':');
    sockaddr_in address{};
    address.sin_family = AF_INET;
    const int port = colon == std::string::npos ? 0 : std::atoi(where.c_str() + colon + 1);
    if (port <= 0 || port > 65535 ||
        inet_pton(AF_INET, where.substr(0, colon).c_str(), &address.sin_addr) != 1) {
        std::fprintf(stderr, "qv-holdports: not an IPv4 ADDR:PORT: %s\n", where.c_str());
        return -2;
    }
    address.sin_port = htons(static_cast<uint16_t>(port));
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        std::perror("qv-holdports: socket");
        return -2;
    }
    if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
        listen(fd, 16) == 0)
        return fd;
    const int error = errno;
    close(fd);
    if (error == EADDRINUSE) {
        std::printf("qv-holdports: %s is held by another program already\n", where.c_str());
        return -1;
    }
    std::fprintf(stderr, "qv-holdports: cannot listen on %s: %s\n", where.c_str(),
                 std::strerror(error));
    return -2;
}

void serve(const std::vector<int>& sockets, int seconds) {
    std::signal(SIGTERM, onTerm);
    std::signal(SIGINT, onTerm);
    std::signal(SIGPIPE, SIG_IGN);
    std::vector<pollfd> polled;
    for (const int fd : sockets)
        polled.push_back({fd, POLLIN, 0});
    const std::time_t end = std::time(nullptr) + seconds;
    static const char answer[] = "HTTP/1.0 503 Held by another program\r\n"
                                 "Content-Length: 0\r\nConnection: close\r\n\r\n";
    while (!stopping && std::time(nullptr) < end) {
        if (poll(polled.data(), polled.size(), 500) <= 0)
            continue;
        for (const pollfd& p : polled) {
            if (!(p.revents & POLLIN))
                continue;
            const int client = accept4(p.fd, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            (void)!write(client, answer, sizeof answer - 1);
            close(client);
        }
    }
}

int start(const std::string& pidFile, int seconds, const std::vector<std::string>& where) {
    std::vector<int> sockets;
    for (const std::string& w : where) {
        const int fd = listenOn(w);
        if (fd == -2)
            return 1;
        if (fd >= 0)
            sockets.push_back(fd);
    }
    std::fflush(stdout);
    if (sockets.empty())
        return 0; // every port is held by someone else: nothing to keep
    const pid_t child = fork();
    if (child < 0) {
        std::perror("qv-holdports: fork");
        return 1;
    }
    if (child == 0) {
        // Away from the test runner's session and output, which it waits on.
        setsid();
        const int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(null, 1);
        dup2(null, 2);
        serve(sockets, seconds);
        _exit(0);
    }
    std::ofstream(pidFile) << child << '\n';
    std::printf("qv-holdports: process %d holds %zu port(s) for at most %d s\n", int(child),
                sockets.size(), seconds);
    return 0;
}

int stop(const std::string& pidFile) {
    std::ifstream in(pidFile);
    int pid = 0;
    if (!(in >> pid) || pid <= 0)
        return 0; // nothing was started, or it was stopped before
    in.close();
    std::remove(pidFile.c_str());
    std::ifstream cmdline("/proc/" + std::to_string(pid) + "/cmdline");
    const std::string command((std::istreambuf_iterator<char>(cmdline)),
                              std::istreambuf_iterator<char>());
    if (command.find("qv-holdports") == std::string::npos)
        return 0; // it ended already (at its time limit); the id may be another's now
    // Not this process's child, so no waitpid: its pidfd becomes readable
    // once it has ended. Opened before the signal, so the id cannot be reused
    // in between.
    // Through syscall(): glibc 2.36's <sys/pidfd.h> declares pidfd_open
    // without C linkage.
    const int process = int(syscall(SYS_pidfd_open, pid, 0));
    if (process < 0)
        return 0; // it has ended meanwhile
    kill(pid, SIGTERM);
    pollfd ended{process, POLLIN, 0};
    const bool gone = poll(&ended, 1, 5000) == 1;
    close(process);
    return gone ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "stop")
        return stop(args[1]);
    if (args.size() >= 4 && args[0] == "start") {
        const int seconds = std::atoi(args[2].c_str());
        if (seconds <= 0)
            return usage();
        return start(args[1], seconds, {args.begin() + 3, args.end()});
    }
    return usage();
}
