// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "config_bits/control_state.h"
#include "config_bits/flows.h"
#include "link/low_io.h"

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

// One named setting of the device's layout, with the text the advanced window shows for it.
struct ConfigSetting {
    std::string name;
    std::string value;
};

// The configuration bytes of the selected device as the advanced options read them.
struct ConfigReport {
    bool read = false;      // the bytes and settings below come from the chip
    bool complete = false;  // every read was answered; a byte whose read failed shows FF
    ConfigBytes bytes;
    std::array<ConfigByteRights, 4> rights{};  // in kConfigByteOrder
    std::vector<ConfigSetting> settings;
};

// The rights for a device on a board of this programmer type ('p' answer, 0 for none) and
// level, by the same rules the advanced window enables its controls with.
std::array<ConfigByteRights, 4> RightsFor(const DeviceRecord& device, uint8_t programmerType,
                                          uint8_t level);

// Describes the options after Open(): the bytes read and the settings they decode into.
ConfigReport DescribeConfig(const AdvancedOptions& options, const DeviceRecord& device,
                            uint8_t level);

// The bytes a user asked to write, in kConfigByteOrder; nullopt leaves a byte alone.
using ConfigWrite = std::array<std::optional<uint8_t>, 4>;

// Why the request cannot be written as a whole (the first byte refused), empty when it can.
std::string RefusalFor(const ConfigWrite& request, const std::array<ConfigByteRights, 4>& rights);

// Writes the bytes asked for with the device's write forms, fuses first and the lock last,
// then leaves programming mode; false when the board did not acknowledge every write. The
// request must have passed RefusalFor.
[[nodiscard]] bool WriteConfig(CLowIO& link, const DeviceRecord& device, uint8_t programmerType,
                               const ConfigWrite& request);

}  // namespace zentaro
