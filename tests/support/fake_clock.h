// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <vector>

#include "common/clock.h"

namespace zentaro::test {

// Records the pauses instead of sleeping.
class FakeClock : public Clock {
public:
    void SleepMs(unsigned milliseconds) override { sleeps.push_back(milliseconds); }
    std::vector<unsigned> sleeps;
};

}  // namespace zentaro::test
