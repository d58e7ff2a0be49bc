// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>
#include <string_view>

namespace zentaro::cli {

namespace {

// The one piece of process-wide state: a signal can only reach the program through it.
// The number of the signal that asked for the stop; 0 before any.
volatile std::sig_atomic_t stopSignal = 0;

struct StopSignal {
    int number;
    std::string_view notice;
};

constexpr StopSignal kStopSignals[] = {
    {SIGINT, "\nzentaro-cli: stopping after the current exchange (Ctrl-C again to quit at once)\n"},
    {SIGTERM, "\nzentaro-cli: terminated, stopping after the current exchange\n"},
    {SIGHUP, "\nzentaro-cli: hung up, stopping after the current exchange\n"},
};

extern "C" void OnStopSignal(int number) {
    if (stopSignal != 0) {
        ::_exit(128 + number);
    }
    stopSignal = number;
    // Only async-signal-safe calls here.
    for (const StopSignal& signal : kStopSignals) {
        if (signal.number == number) {
            [[maybe_unused]] const ssize_t ignored =
                ::write(STDERR_FILENO, signal.notice.data(), signal.notice.size());
        }
    }
}

}  // namespace

void CatchInterrupt() {
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // The handlers never run inside each other: a second signal that comes while the first
    // is being handled waits for it, then ends the program.
    sigemptyset(&action.sa_mask);
    for (const StopSignal& signal : kStopSignals) {
        sigaddset(&action.sa_mask, signal.number);
    }
    // No SA_RESTART: a wait in poll() wakes up, and the port's waits go on by themselves.
    for (const StopSignal& signal : kStopSignals) {
        struct sigaction before {};
        if (::sigaction(signal.number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal.number, &action, nullptr);
        }
    }
}

bool Interrupted() {
    return stopSignal != 0;
}

int InterruptedExitStatus() {
    return 128 + stopSignal;
}

}  // namespace zentaro::cli
