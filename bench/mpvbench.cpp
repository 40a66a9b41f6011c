// SPDX-License-Identifier: GPL-3.0-or-later
// The floor for bench/play: the mpv command-line player playing the same songs
// from the same demo portal, driven through its JSON IPC socket.
//
// Usage: qv-mpvbench --portal URL [--ao NAME] [--portal-log FILE] [--mpv PATH]
//
// mpv is started once, idle, with the player's built-in libmpv options (see
// kOptions in src/platform/mpvplayer.cpp), so both play through the same
// engine with the same settings. After one unmeasured warm-up song, each of
// 10 songs is handed over with "loadfile" and timed until mpv's
// "playback-restart" event (the event the player turns into "Playing") and
// until the first "time-pos" above 0 (what the player's position reports);
// then the CPU time (/proc/PID/stat) of the mpv process over 20 s of the
// longest song playing, and its VmRSS at the end. The portal runs in another
// process and is not counted.
//
// Prints "key value..." lines on stdout, as qv-playbench does:
//   playing_ms MEDIAN MIN MAX, moving_ms MEDIAN MIN MAX, cpu_percent P,
//   rss_mb MB, long_song NUMBER (the song of the CPU figure), note TEXT.
#include "catalogue.h"
#include "figures.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

constexpr int kRuns = 10;
constexpr int kCpuSeconds = 20;

// The player's built-in options (mpvplayer.cpp, kOptions), "vo=null" and
// "vid=no" as --no-video; "terminal=no" would also silence the IPC, so the
// terminal output goes to /dev/null instead.
const char* const kOptions[] = {
    "--config=no",          "--load-scripts=no",  "--no-video",
    "--idle=yes",           "--ytdl=no",          "--input-default-bindings=no",
    "--network-timeout=15", "--audio-display=no", "--demuxer-lavf-probesize=32",
};

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

int fail(const std::string& what) {
    std::fprintf(stderr, "qv-mpvbench: %s\n", what.c_str());
    return 1;
}

std::size_t lineCount(const std::string& path) {
    std::ifstream in(path);
    std::size_t n = 0;
    for (std::string line; std::getline(in, line);)
        ++n;
    return n;
}

// user + system seconds of a process.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string f;
    double utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> f; ++i) { // field 3 is the state
        if (i == 14)
            utime = std::atof(f.c_str());
        if (i == 15)
            stime = std::atof(f.c_str());
    }
    return (utime + stime) / double(sysconf(_SC_CLK_TCK));
}

double residentMb(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024;
    }
    return 0;
}

// One JSON IPC connection to mpv, read line by line.
class Ipc {
public:
    bool connectTo(const std::string& path, double timeoutMs) {
        const double deadline = nowMs() + timeoutMs;
        while (nowMs() < deadline) {
            fd_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
            sockaddr_un a{};
            a.sun_family = AF_UNIX;
            std::snprintf(a.sun_path, sizeof a.sun_path, "%s", path.c_str());
            if (connect(fd_, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0)
                return true;
            ::close(fd_);
            fd_ = -1;
            usleep(10'000);
        }
        return false;
    }
    ~Ipc() {
        if (fd_ >= 0)
            ::close(fd_);
    }

    bool send(const std::string& json) {
        const std::string line = json + "\n";
        return write(fd_, line.data(), line.size()) == ssize_t(line.size());
    }

    // The next line, or "" after timeoutMs (or when mpv went away).
    std::string next(double timeoutMs) {
        const double deadline = nowMs() + timeoutMs;
        for (;;) {
            if (const auto nl = buffer_.find('\n'); nl != std::string::npos) {
                std::string line = buffer_.substr(0, nl);
                buffer_.erase(0, nl + 1);
                return line;
            }
            const double left = deadline - nowMs();
            if (left <= 0)
                return {};
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, int(left) + 1) <= 0)
                continue;
            char chunk[4096];
            const ssize_t n = read(fd_, chunk, sizeof chunk);
            if (n <= 0)
                return {};
            buffer_.append(chunk, std::size_t(n));
        }
    }

private:
    int fd_ = -1;
    std::string buffer_;
};

bool isEvent(const std::string& line, std::string_view name) {
    return line.find("\"event\":\"" + std::string(name) + "\"") != std::string::npos;
}

// The "data" of a time-pos property-change line; -1 when it is none.
double timePos(const std::string& line) {
    if (!isEvent(line, "property-change") ||
        line.find("\"name\":\"time-pos\"") == std::string::npos)
        return -1;
    const auto at = line.find("\"data\":");
    if (at == std::string::npos)
        return -1;
    const char* value = line.c_str() + at + 7;
    if (std::strncmp(value, "null", 4) == 0)
        return -1;
    return std::atof(value);
}

} // namespace

int main(int argc, char** argv) {
    std::string portal, ao = "null", portalLog, mpv = "mpv";
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (i + 1 >= argc)
            return fail("usage: qv-mpvbench --portal URL [--ao NAME] [--portal-log FILE] "
                        "[--mpv PATH]");
        if (a == "--portal")
            portal = argv[++i];
        else if (a == "--ao")
            ao = argv[++i];
        else if (a == "--portal-log")
            portalLog = argv[++i];
        else if (a == "--mpv")
            mpv = argv[++i];
        else
            return fail("unknown argument " + std::string(a));
    }
    if (portal.empty())
        return fail("--portal URL is needed");
    std::setlocale(LC_NUMERIC, "C");

    // The same songs as qv-playbench: "Jazz" by score, page 1, those of 10 s
    // or more in list order, and the longest for the CPU figure.
    const auto songs = demo::catalogue::pageSongs(18, 1, demo::catalogue::Order::Score);
    std::vector<std::string> runSongs;
    std::string longest = songs.front();
    for (const std::string& song : songs) {
        const int seconds = demo::catalogue::songSeconds(song);
        if (seconds >= 10)
            runSongs.push_back(song);
        if (seconds > demo::catalogue::songSeconds(longest))
            longest = song;
    }
    if (int(runSongs.size()) <= kRuns)
        return fail("too few long songs");
    const auto address = [&](const std::string& song) {
        return portal + "/audio/download/" + song;
    };

    char dir[] = "/tmp/qv-mpvbench.XXXXXX";
    if (!mkdtemp(dir))
        return fail("cannot make a temporary folder");
    const std::string socketPath = std::string(dir) + "/ipc";
    std::vector<std::string> args{mpv, "--ao=" + ao, "--input-ipc-server=" + socketPath};
    args.insert(args.end(), std::begin(kOptions), std::end(kOptions));
    std::vector<char*> argvMpv;
    for (std::string& s : args)
        argvMpv.push_back(s.data());
    argvMpv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        return fail("fork failed");
    if (pid == 0) {
        const int null = open("/dev/null", O_RDWR);
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        execvp(argvMpv[0], argvMpv.data());
        _exit(127);
    }
    int code = 0;
    {
        Ipc ipc;
        std::vector<double> playingMs, movingMs;
        double cpu = 0, rss = 0;
        bool endedEarly = false, portalBusy = false;
        if (!ipc.connectTo(socketPath, 10'000)) {
            code = fail("cannot connect to mpv's IPC socket (is mpv installed?)");
            goto done;
        }
        ipc.send(R"({"command":["observe_property",1,"time-pos"]})");

        for (int run = 0; run <= kRuns; ++run) { // run 0 warms up
            const double start = nowMs();
            ipc.send(R"({"command":["loadfile",")" + address(runSongs[std::size_t(run)]) +
                     R"(","replace"]})");
            bool loaded = false;
            double playing = -1, moving = -1;
            while (playing < 0 || moving < 0) {
                const double left = 5000 - (nowMs() - start);
                const std::string line = left > 0 ? ipc.next(left) : std::string();
                const double at = nowMs() - start;
                if (line.empty()) {
                    code =
                        fail("song " + runSongs[std::size_t(run)] + " did not start within 5 s (" +
                             (loaded ? playing < 0 ? "loaded, no playback-restart"
                                                   : "no time-pos above 0"
                                     : "not loaded") +
                             ")");
                    goto done;
                }
                if (isEvent(line, "file-loaded"))
                    loaded = true;
                else if (loaded && playing < 0 && isEvent(line, "playback-restart"))
                    playing = at;
                else if (loaded && moving < 0 && timePos(line) > 0)
                    moving = at;
            }
            if (run > 0) {
                playingMs.push_back(playing);
                movingMs.push_back(moving);
            }
        }

        {
            const double start = nowMs();
            ipc.send(R"({"command":["loadfile",")" + address(longest) + R"(","replace"]})");
            bool loaded = false, moving = false;
            while (!moving) {
                const double left = 5000 - (nowMs() - start);
                const std::string line = left > 0 ? ipc.next(left) : std::string();
                if (line.empty()) {
                    code = fail("the long song did not start");
                    goto done;
                }
                loaded = loaded || isEvent(line, "file-loaded");
                moving = loaded && timePos(line) > 1;
            }
            const std::size_t requests = portalLog.empty() ? 0 : lineCount(portalLog);
            const double cpuBefore = cpuSeconds(pid);
            const double wallStart = nowMs();
            while (nowMs() - wallStart < kCpuSeconds * 1000.0) {
                const std::string line = ipc.next(kCpuSeconds * 1000.0 - (nowMs() - wallStart));
                endedEarly = endedEarly || isEvent(line, "end-file");
            }
            cpu = 100 * (cpuSeconds(pid) - cpuBefore) / ((nowMs() - wallStart) / 1e3);
            rss = residentMb(pid);
            portalBusy = !portalLog.empty() && lineCount(portalLog) != requests;
        }

        {
            const Figures p = figures(playingMs), m = figures(movingMs);
            std::printf("playing_ms %.1f %.1f %.1f\n", p.median, p.min, p.max);
            std::printf("moving_ms %.1f %.1f %.1f\n", m.median, m.min, m.max);
            std::printf("cpu_percent %.2f\n", cpu);
            std::printf("rss_mb %.1f\n", rss);
            std::printf("long_song %s\n", longest.c_str());
            if (endedEarly)
                std::printf("note mpv: the song had ended before the 20 s were up\n");
            if (portalBusy)
                std::printf("note mpv: the portal served requests during the CPU measurement\n");
        }
        ipc.send(R"({"command":["quit"]})");
    }
done:
    bool reaped = false;
    for (int i = 0; i < 30 && !reaped; ++i) {
        reaped = waitpid(pid, nullptr, WNOHANG) == pid;
        if (!reaped)
            usleep(100'000);
    }
    if (!reaped) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    unlink(socketPath.c_str());
    rmdir(dir);
    return code;
}
