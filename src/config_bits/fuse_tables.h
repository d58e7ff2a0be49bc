// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "catalogue/device_profile.h"
#include "config_bits/layouts.h"

namespace zentaro {

// The fuse controls of a layout class. Where the class leaves the clock texts to the device,
// clockList names them.
FuseLayout FuseLayoutFor(LayoutClass layoutClass, ClockListVariant clockList);

}  // namespace zentaro
