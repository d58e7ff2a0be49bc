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
        EXPECT_EQ(FuseControls(layout).empty(), profile.layoutClass == LayoutClass::NoFuses);
        if (layout.clock.kind == ClockKind::List) {
            ASSERT_TRUE(layout.clock.field.has_value());
            EXPECT_EQ(layout.clock.field->writeCodes.size(), layout.clock.entries.size());
        }
    }
    EXPECT_EQ(used.size(), 18u);  // every class describes at least one chip
}

}  // namespace
}  // namespace zentaro
