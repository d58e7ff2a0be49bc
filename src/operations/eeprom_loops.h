// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "common/panel.h"
#include "link/low_io.h"

namespace zentaro {

// The EEPROM twins of the flash loops, on the first bytes of the memory image. last is the
// inclusive last byte address (last < image.size()); callers with no data do not run them.
// Every byte of the range is written, blank or not. Programming mode, wait cursor and
// progress as for flash; the verify shows the first mismatch itself.
[[nodiscard]] bool WriteEepromImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                    uint32_t last);
[[nodiscard]] bool VerifyEepromImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                     uint32_t last);
// The same on image[first … last] alone, the rest of the EEPROM left as it is.
[[nodiscard]] bool WriteEepromRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                    uint32_t first, uint32_t last);
[[nodiscard]] bool VerifyEepromRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                                     uint32_t first, uint32_t last);

}  // namespace zentaro
