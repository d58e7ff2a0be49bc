// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/chip.h"

namespace zentaro::sim {

// The chip's memories and configuration bytes kept in a file between runs: a few text
// header lines (chip name, lock and fuse bytes in hex) followed by the flash and EEPROM
// contents as raw bytes. Each function returns an error text, empty on success.

// A missing file is not an error: the chip stays as it is and *loaded is false.
std::string LoadState(const std::string& path, Chip& chip, bool* loaded = nullptr);
// Writes a temporary file next to path and renames it, so a crash never leaves half a state.
std::string SaveState(const std::string& path, const Chip& chip);
// Reads a whole file of raw bytes.
std::string ReadRawFile(const std::string& path, std::vector<uint8_t>& bytes);

}  // namespace zentaro::sim
