// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/elf_segments.h"

namespace zentaro {

// Systems without the ELF library: the file is refused with the reason, like any file that
// cannot be read.
std::string ReadElfSegments(std::vector<uint8_t>&, std::vector<ElfSegment>&) {
    return "ELF files cannot be read on this system";
}

}  // namespace zentaro
