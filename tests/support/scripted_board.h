// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/scripted_port.h"

namespace zentaro::test {

// A programmer board answering the discovery and control commands through a ScriptedPort,
// for window tests that need no memory traffic. Its fields may change while it is in use.
struct ScriptedBoard {
    bool present = true;         // answers 'S'
    std::vector<uint8_t> codes;  // non-empty: a list-type board answering 't'
    std::string modes = "S";     // reply to 'O'
    uint8_t level = 3;           // reply to 'K'
    bool exitSupported = true;   // 'E' acknowledged

    // The responder to give the port; this board must outlive it.
    ScriptedPort::Responder Responder();
};

}  // namespace zentaro::test
