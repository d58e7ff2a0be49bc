// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro::cli {

// The --help text is laid out like a manual page; the parser adds its OPTIONS section
// between these two.
// NAME, SYNOPSIS, DESCRIPTION and COMMANDS.
const char* HelpIntro();
// EXIT STATUS, STOPPING and EXAMPLES.
const char* HelpClosing();
// The line printed for a usage error, after the error itself.
const char* UsageHint();

}  // namespace zentaro::cli
