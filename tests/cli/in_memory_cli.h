// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/in_memory_board.h"

namespace zentaro::test {

// Runs zentaro-cli's program in this process, with stdin and stderr no terminals, against
// boards in memory: a port the program opens reaches the board with that COM name, and
// neither time-outs nor pauses take real time. input is what standard input holds.
CliRun RunCliOn(const std::vector<InMemoryBoard*>& boards, const std::vector<std::string>& args,
                const std::string& input = "");

}  // namespace zentaro::test
