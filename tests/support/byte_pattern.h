// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zentaro::test {

// Bytes that differ from their neighbours and from those of another seed, so that a byte
// sent to or read from the wrong place shows.
inline std::vector<uint8_t> Pattern(size_t size, uint8_t seed) {
    std::vector<uint8_t> bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 3));
    }
    return bytes;
}

}  // namespace zentaro::test
