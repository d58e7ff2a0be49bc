// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro::cli {

// The --help text, laid out like a manual page.
const char* HelpText();
// The line printed for a usage error, after the error itself.
const char* UsageHint();

}  // namespace zentaro::cli
