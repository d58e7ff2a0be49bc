// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "catalogue/device_profile.h"
#include "link/low_io.h"

namespace zentaro {

// True when the boot-loader section of this device is sized by its high fuse byte.
bool BootSizeNeedsFuse(const DeviceProfile& profile);
// Boot-loader section size in 16-bit words; 0 for devices without one. highFuse is used
// only by the devices for which BootSizeNeedsFuse is true.
uint32_t BootSizeWords(const DeviceProfile& profile, uint8_t highFuse);

// Reads the high fuse when the device needs it (leaving programming mode afterwards) and
// returns the boot size in words; nullopt when the fuse could not be read.
std::optional<uint32_t> ReadBootSizeWords(CLowIO& link, const DeviceProfile& profile);

}  // namespace zentaro
