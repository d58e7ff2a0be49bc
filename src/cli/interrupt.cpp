// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

namespace zentaro::cli {

namespace {

// The one piece of process-wide state: a signal can only reach the program through it.
volatile std::sig_atomic_t interrupted = 0;

constexpr char kStopping[] =
    "\nzentaro-cli: stopping after the current exchange (Ctrl-C again to quit at once)\n";

extern "C" void OnInterrupt(int) {
    if (interrupted != 0) {
        ::_exit(130);
    }
    interrupted = 1;
    // Only async-signal-safe calls here.
    [[maybe_unused]] const ssize_t ignored =
        ::write(STDERR_FILENO, kStopping, sizeof kStopping - 1);
}

}  // namespace

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in poll() wakes up, and the port's waits go on by themselves.
    ::sigaction(SIGINT, &action, nullptr);
}

bool Interrupted() {
    return interrupted != 0;
}

}  // namespace zentaro::cli
