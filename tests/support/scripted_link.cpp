// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_link.h"

namespace zentaro::test {

ScriptedLink::ScriptedLink(const std::vector<std::string>& options) : board(options) {
    auto scripted = std::make_unique<ScriptedPort>();
    port = scripted.get();
    port->Open("COM1", 115200);
    port->SetResponder(board.Responder());
    link = std::make_unique<CLowIO>(std::move(scripted), panel, clock);
}

}  // namespace zentaro::test
