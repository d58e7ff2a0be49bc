// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "cli/cli_options.h"

namespace zentaro::cli {

// What the file check found before any board is looked for.
struct FileCheck {
    std::string error;  // empty: the command may go on
};

// An input file must be a readable firmware file of a format read here, with data for the
// memory (or an encrypted image for program flash); an output file must be creatable in its
// folder. The fuses command takes the bytes to write from the ELF file --from names. Other
// commands pass.
FileCheck CheckFile(CliOptions& options);

}  // namespace zentaro::cli
