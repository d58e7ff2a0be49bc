// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro::cli {

// Ctrl-C (SIGINT) asks every running command to stop at its next exchange; a second Ctrl-C
// ends the program at once with status 130.
void CatchInterrupt();
bool Interrupted();

}  // namespace zentaro::cli
