// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "images/image_load_state.h"

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

// A loader stores a byte only at or below the highest address, and only after some data; the
// image (0xFF before the load) is blank again afterwards for the next input.
inline void RequireBlankAboveLoaded(std::vector<uint8_t>& image, const ImageLoadState& state) {
    const size_t stored =
        state.loadedData ? std::min<size_t>(state.highestAddress + 1ull, image.size()) : 0;
    if (!AllEqual(image.data() + stored, image.size() - stored, 0xFF)) {
        std::abort();
    }
    std::memset(image.data(), 0xFF, stored);
}

}  // namespace zentaro::fuzz
