// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace zentaro::test {

// Intel HEX text for the data (byte address -> bytes) in records of up to 16 bytes, with
// segment records past 64 KiB, and the end record.
std::string HexText(const std::map<uint32_t, std::vector<uint8_t>>& records);

// The memory a HEX file holds, loaded into size bytes of 0xFF through the image reader.
std::vector<uint8_t> LoadedMemory(const std::string& path, size_t size);

}  // namespace zentaro::test
