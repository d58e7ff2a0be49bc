// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <istream>
#include <vector>

#include "images/atomic_file.h"
#include "images/image_load_state.h"

namespace zentaro {

// Loads a raw memory image: the file's byte k goes to address k. Rewinds the stream first.
void LoadBinaryImage(std::istream& file, std::vector<uint8_t>& image, ImageLoadState& state);

// Writes the size bytes of memory as they are.
[[nodiscard]] bool WriteBinaryImage(AtomicFile& output, const uint8_t* memory, uint32_t size);

}  // namespace zentaro
