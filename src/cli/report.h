// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "cli/board_job.h"

namespace zentaro::cli {

// One JSON object for the command's result: one board's fields, or the command with a
// "boards" array when several boards ran.
std::string JsonReport(const std::string& command, const std::vector<BoardResult>& results);
// The table of port, result and seconds printed after several boards ran.
std::vector<std::string> SummaryTable(const std::vector<BoardResult>& results);
// The worst exit status of all boards.
int WorstExit(const std::vector<BoardResult>& results);

}  // namespace zentaro::cli
