// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/boot_area.h"

namespace zentaro {

bool BootSizeNeedsFuse(const DeviceProfile& profile) {
    return profile.boot.kind == BootSizeKind::HalvedByFuse;
}

uint32_t BootSizeWords(const DeviceProfile& profile, uint8_t highFuse) {
    switch (profile.boot.kind) {
        case BootSizeKind::NoBootSection:
            return 0;
        case BootSizeKind::Fixed:
            return profile.boot.words;
        case BootSizeKind::HalvedByFuse:
            return profile.boot.words >> ((highFuse >> 1) & 3);
    }
    return 0;
}

std::optional<uint32_t> ReadBootSizeWords(CLowIO& link, const DeviceProfile& profile) {
    uint8_t highFuse = 0;
    if (BootSizeNeedsFuse(profile)) {
        if (!link.ReadHighFuseBits(highFuse)) {
            return std::nullopt;
        }
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link.LeaveProgMode());
    }
    return BootSizeWords(profile, highFuse);
}

}  // namespace zentaro
