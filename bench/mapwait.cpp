// SPDX-License-Identifier: GPL-3.0-or-later
// Starts a program and reports how long it takes until one of its top-level
// windows is mapped on the X server with a title containing a given text.
//
// Usage: qv-mapwait --name TEXT [--timeout SECONDS] -- COMMAND [ARGS...]
//
// On success prints "MILLISECONDS PID" and exits 0, leaving the program
// running in its own process group (the caller ends it with kill -- -PID).
// The program's own output goes to stderr, so $(qv-mapwait ...) returns at once.
// On a time-out or an early exit of the program it prints why on stderr,
// ends the program's process group and exits non-zero.
//
// Watching X events instead of polling with a window search keeps the
// measurement free of extra process spawns and polling granularity.

#include <xcb/xcb.h>

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace {

double nowMs() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

struct FreeDeleter {
    void operator()(void* p) const { std::free(p); }
};
template <typename T> using XcbPtr = std::unique_ptr<T, FreeDeleter>;

xcb_atom_t internAtom(xcb_connection_t* c, std::string_view name) {
    const XcbPtr<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.data()), nullptr));
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

std::string property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t prop, xcb_atom_t type) {
    const XcbPtr<xcb_get_property_reply_t> reply(
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, prop, type, 0, 4096), nullptr));
    if (!reply || reply->format != 8)
        return {};
    return {static_cast<const char*>(xcb_get_property_value(reply.get())),
            static_cast<size_t>(xcb_get_property_value_length(reply.get()))};
}

struct Atoms {
    xcb_atom_t netWmName = XCB_ATOM_NONE;
    xcb_atom_t utf8 = XCB_ATOM_NONE;
};

std::string title(xcb_connection_t* c, const Atoms& atoms, xcb_window_t w) {
    std::string t = property(c, w, atoms.netWmName, atoms.utf8);
    if (t.empty())
        t = property(c, w, XCB_ATOM_WM_NAME, XCB_GET_PROPERTY_TYPE_ANY);
    return t;
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

int usage() {
    std::fputs("usage: qv-mapwait --name TEXT [--timeout SECONDS] -- COMMAND [ARGS...]\n", stderr);
    return 64;
}

} // namespace

int main(int argc, char** argv) {
    std::string name;
    double timeoutS = 20;
    int cmd = -1;
    for (int i = 1; i < argc; ++i) {
        const std::string_view a = argv[i];
        if (a == "--" && i + 1 < argc) {
            cmd = i + 1;
            break;
        }
        if (a == "--name" && i + 1 < argc)
            name = argv[++i];
        else if (a == "--timeout" && i + 1 < argc)
            timeoutS = std::atof(argv[++i]);
        else
            return usage();
    }
    if (cmd < 0 || name.empty() || timeoutS <= 0)
        return usage();

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "qv-mapwait: cannot connect to display \"%s\"\n",
                     std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "");
        return 69;
    }
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const Atoms atoms{internAtom(c, "_NET_WM_NAME"), internAtom(c, "UTF8_STRING")};

    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    // Checked, so the selection is in force before the program starts.
    if (const XcbPtr<xcb_generic_error_t> err(xcb_request_check(
            c, xcb_change_window_attributes_checked(c, root, XCB_CW_EVENT_MASK, &rootMask)));
        err) {
        std::fprintf(stderr, "qv-mapwait: cannot watch the root window (X error %d)\n",
                     err->error_code);
        return 69;
    }

    const int xfd = xcb_get_file_descriptor(c);
    const double start = nowMs();
    const pid_t pid = fork();
    if (pid < 0) {
        std::perror("qv-mapwait: fork");
        return 71;
    }
    if (pid == 0) {
        setpgid(0, 0);
        close(xfd);
        // Our stdout carries only the result: a caller reading it through a pipe must not
        // wait for the program, which keeps running, to close it too.
        dup2(STDERR_FILENO, STDOUT_FILENO);
        execvp(argv[cmd], argv + cmd);
        std::fprintf(stderr, "qv-mapwait: cannot run %s: %s\n", argv[cmd], std::strerror(errno));
        _exit(127);
    }
    setpgid(pid, pid); // also here, so the group exists whichever process runs first

    std::set<xcb_window_t> mapped;
    const double deadline = start + timeoutS * 1e3;
    const uint32_t windowMask = XCB_EVENT_MASK_PROPERTY_CHANGE;

    auto found = [&](xcb_window_t w, double at) {
        if (title(c, atoms, w).find(name) == std::string::npos)
            return false;
        std::printf("%.1f %d\n", at - start, static_cast<int>(pid));
        std::fflush(stdout);
        return true;
    };

    for (;;) {
        while (const XcbPtr<xcb_generic_event_t> ev{xcb_poll_for_event(c)}) {
            const double at = nowMs();
            switch (ev->response_type & 0x7f) {
            case XCB_CREATE_NOTIFY: {
                const auto* e = reinterpret_cast<const xcb_create_notify_event_t*>(ev.get());
                if (e->parent == root)
                    xcb_change_window_attributes(c, e->window, XCB_CW_EVENT_MASK, &windowMask);
                break;
            }
            case XCB_MAP_NOTIFY: {
                const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(ev.get());
                if (e->event != root)
                    break;
                mapped.insert(e->window);
                if (found(e->window, at))
                    return 0;
                break;
            }
            case XCB_UNMAP_NOTIFY: {
                const auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(ev.get());
                mapped.erase(e->window);
                break;
            }
            case XCB_DESTROY_NOTIFY: {
                const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(ev.get());
                mapped.erase(e->window);
                break;
            }
            case XCB_PROPERTY_NOTIFY: {
                // A title set after mapping counts from the moment it is set.
                const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(ev.get());
                if ((e->atom == atoms.netWmName || e->atom == XCB_ATOM_WM_NAME) &&
                    mapped.count(e->window) && found(e->window, at))
                    return 0;
                break;
            }
            default:
                break; // errors about windows destroyed before we could watch them
            }
        }
        if (xcb_connection_has_error(c)) {
            std::fputs("qv-mapwait: lost the X connection\n", stderr);
            endGroup(pid);
            return 69;
        }
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            std::fprintf(stderr, "qv-mapwait: %s exited (status %d) before its window appeared\n",
                         argv[cmd],
                         WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
            kill(-pid, SIGKILL); // helpers it may have left behind
            return 3;
        }
        const double left = deadline - nowMs();
        if (left <= 0) {
            std::fprintf(stderr, "qv-mapwait: no mapped window titled \"%s\" within %g s\n",
                         name.c_str(), timeoutS);
            endGroup(pid);
            return 2;
        }
        xcb_flush(c);
        // Short slices so an early exit of the program is noticed; X events wake us at once.
        pollfd p{xfd, POLLIN, 0};
        poll(&p, 1, static_cast<int>(left < 100 ? left + 1 : 100));
    }
}
