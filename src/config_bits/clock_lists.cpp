// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/clock_lists.h"

namespace zentaro {

std::vector<std::string> ClockEntriesForBod(bool bodEnabled) {
    static const std::vector<std::string> times{
        "Startup: 5.8ms + 6 CK",   "Startup: 10us + 6 CK",   "Startup: 92ms + 16K CK",
        "Startup: 5.8ms + 16K CK", "Startup: 10us + 16K CK", "Startup: 92ms + 1K CK",
        "Startup: 5.8ms + 1K CK",  "Startup: 10us + 1K CK",  "Startup: 4.2ms + 6 CK",
        "Startup: 30us + 6 CK",    "Startup: 67ms + 16K CK", "Startup: 4.2ms + 16K CK",
        "Startup: 30us + 16K CK",  "Startup: 67ms + 1K CK",  "Startup: 4.2ms + 1K CK",
        "Startup: 30us + 1K CK",
    };
    if (!bodEnabled) {
        return times;
    }
    // The first eight start-up times belong to the 4.0 V level, the rest to 2.7 V.
    std::vector<std::string> entries;
    for (size_t i = 0; i < times.size(); ++i) {
        entries.push_back((i < 8 ? "BOD level 4.0V, " : "BOD level 2.7V, ") + times[i]);
    }
    return entries;
}

StartupChoice StartupForClock(int clockEntry) {
    if (clockEntry <= 4) {
        return {{"Startup: 6 CK", "Startup: 4ms + 6 CK", "Startup: 64ms + 6 CK",
                 "Startup: 64ms + 6 CK"},
                clockEntry <= 0 ? "&INTCAP" : ""};
    }
    if (clockEntry <= 8) {
        return {{"Startup: 18 CK", "Startup: 4ms + 18 CK", "Startup: 64ms + 18 CK",
                 "Startup: 4ms + 6 CK"},
                "&INTCAP"};
    }
    if (clockEntry == 9) {
        return {{"Startup: 4ms + 1K CK", "Startup: 64ms + 1K CK", "Startup: 64ms + 32K CK",
                 "Startup: 64ms + 32K CK"},
                "&INTCAP"};
    }
    return {{"Startup: 4ms + 258 CK", "Startup: 64 ms + 258 CK", "Startup: 1K CK",
             "Startup: 4 ms + 1K CK", "Startup: 64 ms + 1K CK", "Startup: 16K CK",
             "Startup: 4 ms + 16K CK", "Startup: 64 ms + 16K CK"},
            "&Full amplitude"};
}

}  // namespace zentaro
