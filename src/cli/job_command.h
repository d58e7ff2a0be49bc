// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "cli/cli_options.h"
#include "cli/program.h"

namespace zentaro::cli {

// The job command: the job file and everything it names are read and checked, then the job
// runs on every board at once, chip after chip with --repeat. Returns the exit status.
int RunJob(const CliOptions& options, const ProgramHost& host);

}  // namespace zentaro::cli
