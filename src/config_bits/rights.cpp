// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/rights.h"

#include "catalogue/device_profile.h"
#include "config_bits/command_tables.h"
#include "config_bits/config_io.h"

namespace zentaro {

namespace {

// kConfigByteOrder follows the enumeration.
size_t IndexOf(ConfigByte which) {
    return static_cast<size_t>(which);
}

}  // namespace

const char* ConfigByteName(ConfigByte which) {
    switch (which) {
        case ConfigByte::Lock:
            return "lock";
        case ConfigByte::Low:
            return "low";
        case ConfigByte::High:
            return "high";
        case ConfigByte::Extended:
            return "extended";
    }
    return "";
}

ConfigRights RightsFor(const DeviceRecord& device, uint8_t programmerType, uint8_t level) {
    const ConfigAccess access = AccessFor(device, programmerType);
    const DeviceProfile& profile = ProfileFor(device);
    ConfigRights rights{};
    // Every device takes a lock and a low byte; the other two only where a write form exists.
    rights[IndexOf(ConfigByte::Lock)].present = true;
    rights[IndexOf(ConfigByte::Low)].present = true;
    rights[IndexOf(ConfigByte::High)].present = profile.highFuse;
    rights[IndexOf(ConfigByte::Extended)].present = profile.extendedFuse;
    for (const ReadStep& step : ReadPlan(profile, programmerType == 'S', level)) {
        rights[IndexOf(step.target)].readable = access.read;
    }
    rights[IndexOf(ConfigByte::Lock)].writable = access.locks;
    for (ConfigByte fuse : {ConfigByte::Low, ConfigByte::High, ConfigByte::Extended}) {
        rights[IndexOf(fuse)].writable = rights[IndexOf(fuse)].present && access.fuses;
    }
    return rights;
}

std::string RefusalFor(const ConfigWrite& request, const ConfigRights& rights) {
    for (size_t i = 0; i < request.size(); ++i) {
        if (!request[i]) {
            continue;
        }
        const std::string name = ConfigByteName(kConfigByteOrder[i]);
        if (!rights[i].present) {
            return "this device has no " + name + " byte";
        }
        if (!rights[i].writable) {
            return "this programmer may not write the " + name + " byte of this device";
        }
    }
    return {};
}

}  // namespace zentaro
