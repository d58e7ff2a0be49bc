// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zentaro::test {

// One record of this type at this 16-bit offset, its checksum and a line feed.
std::string HexRecord(unsigned type, unsigned offset, const uint8_t* bytes, size_t count);

// Intel HEX text for the data (byte address -> bytes) in records of up to 16 bytes, with
// segment records past 64 KiB, and the end record.
std::string HexText(const std::map<uint32_t, std::vector<uint8_t>>& records);

// The text a read of this memory writes: the same records, led by a segment record for
// the first 64 KiB too.
std::string ReadHexText(const std::vector<uint8_t>& memory);

}  // namespace zentaro::test
