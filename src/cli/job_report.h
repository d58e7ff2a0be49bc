// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "production/production_record.h"

namespace zentaro::cli {

// One chip as a line for the terminal: "COM1: passed, serial 1003, 2.41 s", or the step that
// failed and why, with the number given back.
std::string ChipLine(const ProductionRecord& record);

// The end of a run of several chips: "3 chips passed, 1 failed; serial numbers used: 1000-1002".
std::string RunSummary(const std::vector<ProductionRecord>& records);

}  // namespace zentaro::cli
