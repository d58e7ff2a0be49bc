// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "images/elf_reader.h"

namespace zentaro {

// The loadable bytes of an ELF file, as ElfContents describes them; the reason in English
// when the file cannot be read, empty when it was. The ELF library may keep pointers into
// file while it reads, hence not const.
std::string ReadElfSegments(std::vector<uint8_t>& file, std::vector<ElfSegment>& segments);

}  // namespace zentaro
