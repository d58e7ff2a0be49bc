// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_link.h"

#include "operations/link_notices.h"

namespace zentaro::test {

std::vector<std::string> WithReleasedIdentity(const std::vector<std::string>& options) {
    std::vector<std::string> all = {"--id", "MZR1.35", "--version", "35", "--calibration", "0xA7"};
    all.insert(all.end(), options.begin(), options.end());
    return all;
}

ScriptedLink::ScriptedLink(const std::vector<std::string>& options)
    : board(WithReleasedIdentity(options)) {
    auto scripted = std::make_unique<ScriptedPort>();
    port = scripted.get();
    port->Open("COM1", 115200);
    port->SetResponder(board.Responder());
    link = std::make_unique<CLowIO>(std::move(scripted), clock, NoticesOn(panel));
}

}  // namespace zentaro::test
