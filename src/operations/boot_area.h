#pragma once

#include <cstdint>
#include <optional>

#include "link/low_io.h"

namespace zentaro {

// Devices whose flash is written a whole page at a time, blank words included.
bool IsPageModeDevice(uint32_t deviceCode);

// True when the boot-loader section of this device is sized by its high fuse byte.
bool BootSizeNeedsFuse(uint32_t deviceCode);
// Boot-loader section size in 16-bit words; 0 for devices without one. highFuse is used
// only by the devices for which BootSizeNeedsFuse is true.
uint32_t BootSizeWords(uint32_t deviceCode, uint8_t highFuse);

// Reads the high fuse when the device needs it (leaving programming mode afterwards) and
// returns the boot size in words; nullopt when the fuse could not be read.
std::optional<uint32_t> ReadBootSizeWords(CLowIO& link, uint32_t deviceCode);

}  // namespace zentaro
