// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/layouts.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

namespace zentaro {
namespace {

// A box's id does not tell what its bit does, so the layout names the boxes that can take the
// chip out of reach; any other box with a lockout would have the window warn about it.
TEST(BoxLayouts, OnlyTheSerialProgrammingAndResetBoxesLockTheChipOut) {
    const std::map<std::string, Lockout> lockouts = {
        {"SPI 启用  ", Lockout::SerialProgrammingOff},
        {"Reset Disable", Lockout::ResetDisabled},
        {"RSTDISBL", Lockout::ResetDisabled},
    };
    for (const DeviceProfile& profile : DeviceProfiles()) {
        for (const BoxLayout& box : LayoutForDevice(profile).boxes) {
            SCOPED_TRACE(std::string(profile.record.name) + " " + box.label);
            const auto found = lockouts.find(PlainName(box.label));
            EXPECT_EQ(box.lockout,
                      found == lockouts.end() ? std::nullopt : std::optional(found->second));
        }
    }
}

}  // namespace
}  // namespace zentaro
