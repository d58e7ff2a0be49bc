// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "common/panel.h"
#include "link/low_io.h"

namespace zentaro {

// The loops that move the memory image to the chip's flash and compare the flash with it.
// last is the inclusive last byte address of the data (last < image.size()); callers with
// no data at all do not run them. Both enter programming mode, leave it after a successful
// run, and return false without leaving it on a failure or when the user asked to stop
// (looked at after each block, page, word or byte). They show the wait cursor and move
// the progress bar on panel; the verify shows the first mismatch there itself.

// Writes image[0 … last]: by blocks when the board takes them, whole pages on the page-mode
// devices, otherwise word by word (words) or byte by byte, skipping blanks. pageSize is the
// device's flash page in bytes, a whole number of words (0 = no pages).
[[nodiscard]] bool WriteFlashImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                   uint32_t last, uint32_t pageSize);

[[nodiscard]] bool VerifyFlashImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                    uint32_t last);
// The same from byte address first on (from the word that holds it on a word-wide board).
[[nodiscard]] bool VerifyFlashRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                    uint32_t first, uint32_t last);

}  // namespace zentaro
