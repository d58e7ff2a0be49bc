// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "session/config_report.h"
#include "session/session.h"

namespace zentaro::cli {

// The lines the tool prints for what it learnt; English labels, the board's and the
// layout's own texts as they are.
std::vector<std::string> DescribeBoard(const BoardFacts& board, const BoardListing& listing);
std::vector<std::string> DescribeIdentity(const ChipInfo& info, const std::string& device);
// Each byte a write sends, old -> new, then each named setting that changes.
std::vector<std::string> DescribeChange(const ConfigChange& change);
std::vector<std::string> DescribeConfigReport(const ConfigReport& report);
// A setting's value as the tool prints it: the combo's entry, or "[x]" / "[ ]" for a box.
std::string SettingText(const SettingValue& value);
// "E2".
std::string HexByte(uint8_t value);
// The chip's value of the byte at index (in kConfigByteOrder) before a write; "??" unread.
std::string ByteBefore(const ConfigChange& change, size_t index);
// "lock=FF low=E2 high=D9 extended=FF", the bytes read.
std::string DescribeBytes(const ConfigReport& report);
// "low=E2 lock=FC", the bytes asked for.
std::string DescribeWrite(const ConfigWrite& request);

}  // namespace zentaro::cli
