// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/clock.h"

namespace zentaro {

// Sleeps for real and adds up the protocol's fixed pauses, so a benchmark can tell them from
// the time on the wire.
class CountingClock final : public Clock {
public:
    void SleepMs(unsigned milliseconds) override {
        pausedMs += milliseconds;
        system.SleepMs(milliseconds);
    }
    unsigned long pausedMs = 0;
    SystemClock system;
};

}  // namespace zentaro
