// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace zentaro {

// What one load pass tracks besides the memory image, whatever the file's format. The caller
// resets it before a load.
struct ImageLoadState {
    // Where the Intel HEX reader's address records put the data records that follow them.
    // No other format carries such records; their readers leave it alone.
    uint32_t segmentBase = 0;
    // Highest byte address the file carried data for, whether or not it fitted into the image.
    uint32_t highestAddress = 0;
    // True once the file carried at least one byte: an empty file is told apart from a file
    // whose only byte lies at address 0.
    bool loadedData = false;
};

// Stores count bytes at first on into image, leaving out those beyond its end, and counts
// all of them in state (an address past 4 GiB counts as the highest 32-bit one).
void StoreImageBytes(std::vector<uint8_t>& image, ImageLoadState& state, uint64_t first,
                     const uint8_t* bytes, size_t count);

}  // namespace zentaro
