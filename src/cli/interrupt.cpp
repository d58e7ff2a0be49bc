// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/interrupt.h"

#include "platform/console.h"

namespace zentaro::cli {

void CatchInterrupt() {
    CatchStopRequests(
        {.interrupt = "\nzentaro-cli: stopping after the current exchange (Ctrl-C again to quit at "
                      "once)\n",
         .terminate = "\nzentaro-cli: terminated, stopping after the current exchange\n",
         .hangUp = "\nzentaro-cli: hung up, stopping after the current exchange\n"});
}

bool Interrupted() {
    return ProcessStopRequested();
}

int InterruptedExitStatus() {
    return ProcessStopExitStatus();
}

}  // namespace zentaro::cli
