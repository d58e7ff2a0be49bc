// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "config_bits/flows.h"
#include "session/config_report.h"
#include "session/session.h"

namespace zentaro::cli {

// The lines the tool prints for what it learnt; English labels, the board's and the
// layout's own texts as they are.
std::vector<std::string> DescribeBoard(Session& session);
std::vector<std::string> DescribeIdentity(const AdvancedOptions& options,
                                          const std::string& device);
std::vector<std::string> DescribeConfigReport(const ConfigReport& report);
// "lock=FF low=E2 high=D9 extended=FF", the bytes read.
std::string DescribeBytes(const ConfigReport& report);
// "low=E2 lock=FC", the bytes asked for.
std::string DescribeWrite(const ConfigWrite& request);

}  // namespace zentaro::cli
