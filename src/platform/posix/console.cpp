// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <signal.h>
#include <unistd.h>

#include <csignal>

namespace zentaro {

namespace {

// The one piece of process-wide state: a signal can only reach the program through it.
// The number of the signal that asked for the stop; 0 before any.
volatile std::sig_atomic_t stopSignal = 0;

struct StopSignal {
    int number;
    std::string_view notice;
};
StopSignal stopSignals[] = {{SIGINT, {}}, {SIGTERM, {}}, {SIGHUP, {}}};

extern "C" void OnStopSignal(int number) {
    if (stopSignal != 0) {
        ::_exit(128 + number);
    }
    stopSignal = number;
    // Only async-signal-safe calls here.
    for (const StopSignal& signal : stopSignals) {
        if (signal.number == number) {
            [[maybe_unused]] const ssize_t ignored =
                ::write(STDERR_FILENO, signal.notice.data(), signal.notice.size());
        }
    }
}

int Descriptor(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return STDIN_FILENO;
        case StandardStream::Output:
            return STDOUT_FILENO;
        case StandardStream::Error:
            return STDERR_FILENO;
    }
    return STDERR_FILENO;
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    return ::isatty(Descriptor(stream)) == 1;
}

void UseUtf8Console() {
    // A terminal here takes the bytes as they are.
}

std::tm ToUtc(std::time_t seconds) {
    std::tm utc{};
    ::gmtime_r(&seconds, &utc);
    return utc;
}

void CatchStopRequests(const StopNotices& notices) {
    stopSignals[0].notice = notices.interrupt;
    stopSignals[1].notice = notices.terminate;
    stopSignals[2].notice = notices.hangUp;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    // The handlers never run inside each other: a second signal that comes while the first
    // is being handled waits for it, then ends the program.
    sigemptyset(&action.sa_mask);
    for (const StopSignal& signal : stopSignals) {
        sigaddset(&action.sa_mask, signal.number);
    }
    // No SA_RESTART: a wait in poll() wakes up, and the port's waits go on by themselves.
    for (const StopSignal& signal : stopSignals) {
        struct sigaction before {};
        if (::sigaction(signal.number, nullptr, &before) == 0 && before.sa_handler != SIG_IGN) {
            ::sigaction(signal.number, &action, nullptr);
        }
    }
}

bool ProcessStopRequested() {
    return stopSignal != 0;
}

int ProcessStopExitStatus() {
    return 128 + stopSignal;
}

}  // namespace zentaro
