// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace zentaro {

// The clock list of the layout whose clock texts follow the BOD selection (entry 1 is
// "BOD enabled").
std::vector<std::string> ClockEntriesForBod(bool bodEnabled);

// The start-up combo and the clock option box for a thirteen-source clock entry.
struct StartupChoice {
    std::vector<std::string> entries;
    std::string clockOptionLabel;  // empty: box hidden
};
StartupChoice StartupForClock(int clockEntry);

}  // namespace zentaro
