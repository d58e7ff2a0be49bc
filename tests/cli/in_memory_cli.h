// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "cli/cli_runner.h"
#include "support/in_memory_board.h"

namespace zentaro::test {

// Runs zentaro-cli's program in this process, with stdin and stderr no terminals, against
// boards in memory: a port the program opens reaches the board with that COM name, and
// neither time-outs nor pauses take real time. input is what standard input holds.
CliRun RunCliOn(const std::vector<InMemoryBoard*>& boards, const std::vector<std::string>& args,
                const std::string& input = "");

// The boards a test starts, each with a chip of one kind, and zentaro-cli run against them.
class BoardRack {
public:
    explicit BoardRack(std::string chip) : chip_(std::move(chip)) {}

    // A board on port with the chip, and zentaro-sim's further options.
    InMemoryBoard& StartBoard(const std::string& port, std::vector<std::string> more = {});
    CliRun Cli(const std::vector<std::string>& args, const std::string& input = "") const;
    void Clear() { boards_.clear(); }
    void Unplug(size_t index) { boards_.erase(boards_.begin() + static_cast<long>(index)); }
    const std::vector<std::unique_ptr<InMemoryBoard>>& Boards() const { return boards_; }

private:
    std::string chip_;
    std::vector<std::unique_ptr<InMemoryBoard>> boards_;
};

}  // namespace zentaro::test
