// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "support/hex_text.h"
#include "support/temp_dir.h"

namespace zentaro::test {

// The memory a HEX file holds, loaded into size bytes of 0xFF through the image reader.
std::vector<uint8_t> LoadedMemory(const std::string& path, size_t size);

}  // namespace zentaro::test
