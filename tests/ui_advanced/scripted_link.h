// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "config_bits/fake_board.h"
#include "link/low_io.h"
#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro::test {

// A link whose port is answered by a FakeBoard, with instant pauses.
struct ScriptedLink {
    ScriptedLink() {
        auto scripted = std::make_unique<ScriptedPort>();
        port = scripted.get();
        port->Open("COM1", 115200);
        board.Attach(*port);
        link = std::make_unique<CLowIO>(std::move(scripted), panel, clock);
    }

    FakeBoard board;
    ScriptedPort* port = nullptr;
    RecordingPanel panel;
    FakeClock clock;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
