// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <string>

namespace zentaro {

class MainDialog;

// Painting on a display (e.g. under xvfb-run) costs what it costs a user; without one the
// window is drawn offscreen. Call before the application is made.
void UseOffscreenWithoutDisplay();

// Keeps the window's settings in folder, with hexPath as the chosen file. False when the
// file name cannot be stored.
[[nodiscard]] bool UseScratchSettings(const QString& folder, const std::string& hexPath);

// Shows the window and clicks "program flash", answering Yes (or OK) to every box so that no
// question stops the run; returns when the command has ended.
void ProgramFlashFromWindow(MainDialog& dialog);

}  // namespace zentaro
