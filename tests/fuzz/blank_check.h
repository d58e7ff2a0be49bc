// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace zentaro::fuzz {

// True when the count bytes at data all equal value. Compares in chunks with memcmp, which
// the sanitizers check as one range instead of byte by byte.
inline bool AllEqual(const uint8_t* data, size_t count, uint8_t value) {
    static uint8_t chunk[4096];
    static uint8_t chunkValue = 0;
    if (chunkValue != value) {
        std::memset(chunk, value, sizeof chunk);
        chunkValue = value;
    }
    while (count > 0) {
        const size_t n = count < sizeof chunk ? count : sizeof chunk;
        if (std::memcmp(data, chunk, n) != 0) {
            return false;
        }
        data += n;
        count -= n;
    }
    return true;
}

}  // namespace zentaro::fuzz
