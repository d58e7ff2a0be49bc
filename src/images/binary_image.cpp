// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/binary_image.h"

#include <array>

#include "images/text_pieces.h"

namespace zentaro {

void LoadBinaryImage(std::istream& file, std::vector<uint8_t>& image, ImageLoadState& state) {
    Rewind(file);
    std::array<char, 65536> block{};
    uint64_t address = 0;
    for (;;) {
        const auto count = static_cast<size_t>(
            file.rdbuf()->sgetn(block.data(), static_cast<std::streamsize>(block.size())));
        if (count == 0) {
            break;
        }
        StoreImageBytes(image, state, address, reinterpret_cast<const uint8_t*>(block.data()),
                        count);
        address += count;
    }
}

bool WriteBinaryImage(AtomicFile& output, const uint8_t* memory, uint32_t size) {
    return output.Write(memory, size);
}

}  // namespace zentaro
