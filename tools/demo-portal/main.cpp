// SPDX-License-Identifier: GPL-3.0-or-later
// demo-portal: runs the local demo portal until SIGINT or SIGTERM.
#include "demoportal.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <pthread.h>
#include <string>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: demo-portal [--bind ADDR] [--port N] [--radio-bind ADDR] [--radio-ports N,M]\n"
    "                   [--radio-track-seconds S] [--servers-ini PATH]\n"
    "                   [--fault NAME[:PATHPREFIX]]... [--quiet]\n"
    "\n"
    "Serves the local demo portal (list pages, songs, favourites, update files) on\n"
    "ADDR:N (default 127.0.0.1, port 0 = a free port) and the Vellwave radio on\n"
    "ports 6870 and 6872 of the radio address (default 127.0.0.2; empty = no radio).\n"
    "The first line printed is \"listening on http://ADDR:PORT\" (https with --tls-cert).\n"
    "\n"
    "  --radio-ports N,M   the broadband and dial-up streams' ports (0 = a free port)\n"
    "  --radio-track-seconds S\n"
    "                      the stream title changes every S seconds (default 30)\n"
    "  --servers-ini PATH  write a servers.ini pointing the player at this portal,\n"
    "                      with the radio ports bound\n"
    "  --tls-cert PEM --tls-key PEM\n"
    "                      serve https only, with this certificate and key\n"
    "  --fault NAME        slow, hang, http500, truncated, hostile, crowded,\n"
    "                      radiocut, huge, garbage, marks, endless, stall,\n"
    "                      unsigned, tampered or wrongkey (the installer's\n"
    "                      signature missing, bytes changed, another key),\n"
    "                      lag (250 ms before each answer);\n"
    "                      with :PATHPREFIX only for paths starting with it,\n"
    "                      with :PATH$ for that path only\n"
    "  --quiet             do not log requests\n";

int usageError(const std::string& message) {
    std::fprintf(stderr, "demo-portal: %s\n%s", message.c_str(), kUsage);
    return 2;
}

bool parsePort(const std::string& text, int& port) {
    if (text.empty() || text.size() > 5 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    port = std::atoi(text.c_str());
    return port <= 65535;
}

} // namespace

int main(int argc, char** argv) {
    demo::Options options;
    options.logToStdout = true;
    std::string serversIni;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--quiet") {
            options.logToStdout = false;
            continue;
        }
        if (arg != "--bind" && arg != "--port" && arg != "--radio-bind" && arg != "--radio-ports" &&
            arg != "--radio-track-seconds" && arg != "--servers-ini" && arg != "--fault" &&
            arg != "--tls-cert" && arg != "--tls-key")
            return usageError("unknown argument \"" + std::string(arg) + "\"");
        if (i + 1 >= argc)
            return usageError(std::string(arg) + " needs a value");
        const std::string value = argv[++i];
        if (arg == "--bind") {
            if (value.empty())
                return usageError("--bind needs an address");
            options.bind = value;
        } else if (arg == "--port") {
            if (!parsePort(value, options.port))
                return usageError("--port needs a number from 0 to 65535, not \"" + value + "\"");
        } else if (arg == "--radio-bind") {
            options.radioBind = value;
        } else if (arg == "--radio-ports") {
            const auto comma = value.find(',');
            if (comma == std::string::npos ||
                !parsePort(value.substr(0, comma), options.radioPorts[0]) ||
                !parsePort(value.substr(comma + 1), options.radioPorts[1]))
                return usageError("--radio-ports needs two port numbers, as in 6870,6872 or 0,0, "
                                  "not \"" +
                                  value + "\"");
        } else if (arg == "--radio-track-seconds") {
            int seconds = 0;
            if (!parsePort(value, seconds) || seconds == 0)
                return usageError("--radio-track-seconds needs a number from 1 to 65535, not \"" +
                                  value + "\"");
            options.radioTrackSeconds = seconds;
        } else if (arg == "--servers-ini") {
            serversIni = value;
        } else if (arg == "--tls-cert") {
            options.tlsCert = value;
        } else if (arg == "--tls-key") {
            options.tlsKey = value;
        } else {
            if (!demo::Portal::isValidFault(value))
                return usageError("unknown fault \"" + value +
                                  "\" (slow, hang, http500, truncated, hostile, crowded, radiocut, "
                                  "huge, garbage, marks, endless, stall, unsigned, tampered, "
                                  "wrongkey, lag, optionally followed by :/PATHPREFIX)");
            options.faults.push_back(value);
        }
    }

    if (options.tlsCert.empty() != options.tlsKey.empty())
        return usageError("--tls-cert and --tls-key go together");

    // Blocked before any server thread exists, so only sigwait below sees them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    std::unique_ptr<demo::Portal> made;
    try {
        made = std::make_unique<demo::Portal>(options);
        made->start();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "demo-portal: %s\n", e.what());
        return 1;
    }
    demo::Portal& portal = *made;
    std::printf("listening on %s\n", portal.baseUrl().c_str());
    for (int q = 0; q < 2; ++q) {
        if (portal.radioPort(q))
            std::printf("radio %s on %s\n", q == 0 ? "broadband" : "dial-up",
                        portal.radioUrl(q).c_str());
    }
    std::fflush(stdout);
    if (!serversIni.empty()) {
        try {
            portal.writeServersIni(serversIni);
            std::printf("wrote %s\n", serversIni.c_str());
            std::fflush(stdout);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "demo-portal: %s\n", e.what());
            return 1;
        }
    }

    int received = 0;
    sigwait(&signals, &received);
    portal.stop();
    std::printf("stopped\n");
    return 0;
}
