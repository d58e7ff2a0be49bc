// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/program.h"
#include "cli/terminal.h"
#include "common/exit_status.h"
#include "session/config_change.h"

namespace zentaro::cli {

// How the command went on one board.
struct BoardResult {
    std::string port;    // where the board was found, or the port asked for
    std::string device;  // the device the command ran on; empty when none was selected
    int exitCode = kExitFailed;
    std::string message;  // the system's ending text, or the tool's reason
    uint64_t bytes = 0;
    double seconds = 0;
    std::vector<std::string> lines;      // what the command shows, in order
    std::optional<ConfigChange> change;  // fuses: what the write asked for changes
};

// Finds the board (port empty: the scan over COM1 ... COM4), selects the device and runs
// the command; line is this board's progress line on the terminal.
BoardResult RunBoard(const CliOptions& options, const std::string& port, Terminal& terminal,
                     size_t line, const ProgramHost& host);

}  // namespace zentaro::cli
