// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"
#include "config_bits/layouts.h"

namespace zentaro {

// The lock modes a device offers, their descriptions and the lock byte each one writes.
void SetLockModes(DeviceLayout& layout, LockEncoding encoding);

// Where a read finds the lock mode; none when a read leaves it alone.
std::optional<BitField> LockReadFor(LockReadRule rule);

// One of the two boot lock combos (BLB0, BLB1) of the layouts that have a boot section.
struct BootLockLayout {
    std::vector<std::string> entries;
    std::vector<std::string> descriptions;  // one per entry
    BitField field;
};
const BootLockLayout& BootLock0();
const BootLockLayout& BootLock1();

}  // namespace zentaro
