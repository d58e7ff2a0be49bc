// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/layouts.h"

#include "config_bits/fuse_tables.h"
#include "config_bits/lock_layouts.h"

namespace zentaro {

DeviceLayout LayoutForDevice(const DeviceProfile& profile) {
    DeviceLayout layout{FuseLayoutFor(profile.layoutClass, profile.clockList)};
    layout.layoutClass = profile.layoutClass;
    SetLockModes(layout, profile.lockEncoding);
    layout.lockRead = LockReadFor(profile.lockRead);
    return layout;
}

std::vector<Control> FuseControls(const FuseLayout& layout) {
    std::vector<Control> controls;
    for (const BoxLayout& box : layout.boxes) {
        controls.push_back(box.box);
    }
    if (layout.clock.kind != ClockKind::None) {
        controls.push_back(Control::Clock);
    }
    if (layout.clock.kind == ClockKind::ThirteenSources) {
        controls.push_back(Control::Startup);
    }
    if (layout.bod) {
        controls.push_back(Control::Bod);
    }
    if (layout.bootBlock) {
        controls.push_back(Control::BootBlock);
    }
    return controls;
}

}  // namespace zentaro
