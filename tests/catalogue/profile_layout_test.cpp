// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <set>

#include "catalogue/device_profile.h"
#include "config_bits/layouts.h"

namespace zentaro {
namespace {

TEST(DeviceProfiles, EveryRowGetsACompleteLayoutOfItsClass) {
    std::set<LayoutClass> used;
    for (const DeviceProfile& profile : DeviceProfiles()) {
        SCOPED_TRACE(profile.record.name);
        used.insert(profile.layoutClass);
        const DeviceLayout layout = LayoutForDevice(profile);
        EXPECT_EQ(layout.layoutClass, profile.layoutClass);
        // Each lock mode needs its description and the byte written for it.
        EXPECT_EQ(layout.lockDescriptions.size(), layout.lockModes.size());
        EXPECT_EQ(layout.lockBytes.size(), layout.lockModes.size());
        // Only the class without fuses has no fuse control.
        EXPECT_EQ(layout.fuseControls.empty(), profile.layoutClass == LayoutClass::K0);
        if (layout.clockKind == ClockKind::List) {
            ASSERT_TRUE(layout.clockField.has_value());
            EXPECT_EQ(layout.clockField->writeCodes.size(), layout.clockEntries.size());
        }
    }
    EXPECT_EQ(used.size(), 18u);  // K0 … K17 each describe at least one chip
}

}  // namespace
}  // namespace zentaro
