// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <vector>

#include "common/clock.h"

namespace zentaro {

// What a host adds around its exchanges with the board.
struct TurnaroundFigures {
    size_t exchanges = 0;
    // Reply received -> next command written.
    double meanUs = 0, medianUs = 0, p99Us = 0, maxUs = 0, totalUs = 0;
    // Command written -> its reply received.
    double meanExchangeUs = 0;
    long stalls = 0;  // turnarounds over 1 ms
    double stalledUs = 0;
};

// Logs a host's exchanges from the moments its commands go out and its replies come in, on
// the host's link thread only. A cycle (command, reply, next command) that holds one of the
// protocol's own pauses belongs to the protocol, not the host, and is left out.
class ExchangeLog {
public:
    using Time = std::chrono::steady_clock::time_point;

    void CommandOut(Time at);
    void ReplyIn(Time at);
    void Pause() { paused_ = true; }
    void Begin();
    void End() { logging_ = false; }
    TurnaroundFigures Figures() const;

private:
    std::vector<double> turnaroundUs_;
    std::vector<double> exchangeUs_;
    Time commandAt_{};
    Time replyAt_{};
    bool logging_ = false;
    bool command_ = false;
    bool reply_ = false;
    bool paused_ = false;
};

// Sleeps for real and tells the log that the protocol paused.
class PausingClock final : public Clock {
public:
    explicit PausingClock(ExchangeLog& log) : log_(log) {}
    void SleepMs(unsigned milliseconds) override {
        log_.Pause();
        system_.SleepMs(milliseconds);
    }

private:
    ExchangeLog& log_;
    SystemClock system_;
};

}  // namespace zentaro
