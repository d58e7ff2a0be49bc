// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/image_load_state.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace zentaro {

void StoreImageBytes(std::vector<uint8_t>& image, ImageLoadState& state, uint64_t first,
                     const uint8_t* bytes, size_t count) {
    if (count == 0) {
        return;
    }
    if (first < image.size()) {
        std::memcpy(image.data() + first, bytes, std::min<uint64_t>(count, image.size() - first));
    }
    const uint64_t last =
        std::min<uint64_t>(first + (count - 1), std::numeric_limits<uint32_t>::max());
    state.highestAddress = std::max(state.highestAddress, static_cast<uint32_t>(last));
    state.loadedData = true;
}

}  // namespace zentaro
