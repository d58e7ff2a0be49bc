// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <thread>

namespace zentaro {

// The protocol's fixed pauses go through this seam so that tests against a scripted
// port run without waiting while runs against a board use real time.
class Clock {
public:
    virtual ~Clock() = default;
    virtual void SleepMs(unsigned milliseconds) = 0;
};

class SystemClock final : public Clock {
public:
    void SleepMs(unsigned milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
};

}  // namespace zentaro
