// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "link/low_io.h"
#include "support/fake_clock.h"
#include "support/in_memory_board.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro::test {

// The zentaro-sim options of a released board ("MZR1.35", version 35, calibration byte 0xA7),
// then the given ones, which may override them.
std::vector<std::string> WithReleasedIdentity(const std::vector<std::string>& options);

// A link opened on a ScriptedPort, which keeps every write, answered by the simulated board
// with these zentaro-sim options; pauses take no time. The board is a released one
// ("MZR1.35", version 35) and the chip's calibration byte 0xA7, unless the options say
// otherwise.
struct ScriptedLink {
    explicit ScriptedLink(const std::vector<std::string>& options);

    InMemoryBoard board;
    ScriptedPort* port = nullptr;  // owned by the link
    RecordingPanel panel;
    FakeClock clock;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
