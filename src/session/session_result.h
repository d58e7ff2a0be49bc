// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config_bits/flows.h"
#include "operations/memory_commands.h"
#include "session/config_change.h"
#include "session/config_report.h"

namespace zentaro {

// The chip and board identity the advanced window shows, in the window's own texts.
struct ChipInfo {
    std::string signature;  // "1E 95 0F", or "?? ?? ??" when 's' went unanswered
    std::string calibration;
    std::string identifier;
    std::string version;
    bool signatureRead = false;
};

// Where the board was found and what it said of itself.
struct BoardFacts {
    std::string port;
    int baudRate = 0;
    std::string identifier;
    std::optional<std::string> version;  // "1.5"; none when 'V' went unanswered
    uint32_t blockSize = 0;              // 0: no block transfers
};

// How any command of a session ended and what it showed, for the front end to present.
struct SessionResult {
    CommandOutcome outcome = CommandOutcome::Failed;
    std::vector<std::string> notices;  // the notices shown, in order
    std::string status;                // the status text the command left
    std::string declined;              // the last question answered No, if any
    std::string refusal;               // why the session sent nothing, or what went wrong
    uint64_t bytes = 0;                // bytes written, compared or read
    std::optional<BoardFacts> board;
    std::optional<ChipInfo> info;
    std::optional<ConfigReport> config;
    // The lock and fuse window's state after the command, for a front end that shows it.
    std::optional<AdvancedState> configState;
    // What a lock or fuse write changes (or would have changed, when it was not sent).
    std::optional<ConfigChange> change;

    bool Ok() const { return outcome == CommandOutcome::Ok; }
};

}  // namespace zentaro
