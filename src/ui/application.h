// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro {

// The application's name: the caption of every message box and the store's application key.
inline constexpr char kApplicationTitle[] = "Zentaro";

// Runs the program inside an existing QApplication: finds the board, shows the main window
// until it is closed. Returns the process exit status: 1 when no board answered, else 0.
int RunApplication();

}  // namespace zentaro
