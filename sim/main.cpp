// SPDX-License-Identifier: GPL-3.0-or-later
#include <signal.h>

#include <cstdio>
#include <string>
#include <vector>

#include "sim/sim_server.h"
#include "zentaro_version.h"

// zentaro-sim: serves the simulated board until SIGINT, SIGTERM or SIGHUP.
int main(int argc, char** argv) {
    using zentaro::sim::SimServer;
    const std::vector<std::string> args(argv + 1, argv + argc);
    // Alone it is this program's version; followed by a value it sets the board's.
    if (args == std::vector<std::string>{"--version"}) {
        std::printf("zentaro-sim %s\n", zentaro::kVersion);
        return 0;
    }
    SimServer server(args);
    if (server.Options().help) {
        std::fputs(zentaro::sim::HelpText().c_str(), stdout);
        return 0;
    }
    // Block the stop signals before the serving thread exists so that only sigwait sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    if (!server.Start()) {
        std::fprintf(stderr, "zentaro-sim: %s\n", server.Error().c_str());
        return 2;
    }
    const auto& options = server.Options();
    std::printf("zentaro-sim: %s -> %s (%s), chip \"%s\", %u baud%s\n", options.port.c_str(),
                server.SlavePath().c_str(), server.LinkPath().c_str(), options.chip.c_str(),
                options.baud, options.upgradeMode ? ", upgrade mode" : "");
    std::fflush(stdout);

    int signal = 0;
    sigwait(&stopSignals, &signal);
    server.Stop();
    const auto count = server.Count();
    std::printf("zentaro-sim: %llu bytes in, %llu bytes out, %llu exchanges\n",
                static_cast<unsigned long long>(count.bytesIn),
                static_cast<unsigned long long>(count.bytesOut),
                static_cast<unsigned long long>(count.exchanges));
    if (!server.Error().empty()) {
        std::fprintf(stderr, "zentaro-sim: %s\n", server.Error().c_str());
        return 1;
    }
    return 0;
}
