// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro::cli {

// Ctrl-C (SIGINT), SIGTERM and SIGHUP ask every running command to stop at its next
// exchange; a second one of them ends the program at once with status 128 plus its number.
// A signal that was ignored when the program started (nohup, a background job) stays ignored.
void CatchInterrupt();
bool Interrupted();
// The status of a run that was asked to stop: 128 plus the number of the signal that asked,
// so 130 for Ctrl-C, 143 for SIGTERM and 129 for SIGHUP.
int InterruptedExitStatus();

}  // namespace zentaro::cli
