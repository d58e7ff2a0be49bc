// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <vector>

#include "common/panel.h"
#include "link/low_io.h"

namespace zentaro {

// Read the whole flash or EEPROM of the selected device (sizes as the link holds them) into
// memory, in whole 16-byte records. They enter programming mode, leave it after a successful
// run and return false without leaving it when a read fails, or when the user asked to stop
// (looked at after each block or record). The progress shows on panel.
[[nodiscard]] bool ReadFlashMemory(CLowIO& link, Panel& panel, std::vector<uint8_t>& memory);
[[nodiscard]] bool ReadEepromMemory(CLowIO& link, Panel& panel, std::vector<uint8_t>& memory);

}  // namespace zentaro
