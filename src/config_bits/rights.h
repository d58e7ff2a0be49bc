// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "catalogue/device_table.h"
#include "config_bits/control_state.h"

namespace zentaro {

// The four configuration bytes in the order they are listed and addressed by index.
inline constexpr std::array<ConfigByte, 4> kConfigByteOrder = {
    ConfigByte::Lock, ConfigByte::Low, ConfigByte::High, ConfigByte::Extended};
const char* ConfigByteName(ConfigByte which);  // "lock", "low", "high", "extended"

// What this device on this board allows for one configuration byte.
struct ConfigByteRights {
    bool present = false;  // the device has the byte
    bool readable = false;
    bool writable = false;
};
using ConfigRights = std::array<ConfigByteRights, 4>;  // in kConfigByteOrder

// The one rule for who may read and write which byte: the device's access characters against
// the board's answer to 'p' (0 for none), and the device's read plan at this level.
ConfigRights RightsFor(const DeviceRecord& device, uint8_t programmerType, uint8_t level);

inline bool FusesWritable(const ConfigRights& rights) {
    return rights[static_cast<size_t>(ConfigByte::Low)].writable;
}
inline bool LockWritable(const ConfigRights& rights) {
    return rights[static_cast<size_t>(ConfigByte::Lock)].writable;
}
inline bool Readable(const ConfigRights& rights) {
    return rights[static_cast<size_t>(ConfigByte::Low)].readable ||
           rights[static_cast<size_t>(ConfigByte::Lock)].readable;
}

// The bytes to write, in kConfigByteOrder; nullopt leaves a byte alone.
using ConfigWrite = std::array<std::optional<uint8_t>, 4>;

// Why the request cannot be written as a whole (the first byte refused), empty when it can.
std::string RefusalFor(const ConfigWrite& request, const ConfigRights& rights);

}  // namespace zentaro
