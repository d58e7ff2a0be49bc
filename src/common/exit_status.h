// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro {

// The exit statuses of the command line, which the production record keeps per chip as well.
// A stop by a signal ends with 128 plus its number.
enum ExitCode : int {
    kExitOk = 0,
    kExitFailed = 1,
    kExitUsage = 2,
    kExitNoBoard = 3,
    kExitFile = 4,
};

}  // namespace zentaro
