#include "operations/boot_area.h"

namespace zentaro {

bool IsPageModeDevice(uint32_t deviceCode) {
    switch (deviceCode) {
        case 0x61:  // Mirval 2 BOOT
        case 0x66:  // Mirval 4 BOOT
        case 0x67:  // Mirval 3 BOOT
        case 0x73:  // Mirval 5 BOOT
            return true;
        default:
            return false;
    }
}

namespace {

// The boot section at the largest fuse setting (field 0); each step of the two-bit field
// halves it. 0 for devices whose section does not depend on the fuse.
uint32_t LargestFuseBootWords(uint32_t deviceCode) {
    switch (deviceCode) {
        case 0x3B:  // Mirval 1 BOOT
        case 0x66:  // Mirval 4 BOOT
        case 0x67:  // Mirval 3 BOOT
        case 0x75:  // Mirval 9 BOOT
        case 0x77:  // Mirval 8 BOOT
            return 1024;
        case 0x44:  // Mirval 10 BOOT
            return 4096;
        case 0x73:  // Mirval 5 BOOT
            return 2048;
        default:
            return 0;
    }
}

constexpr uint32_t kFixedBootDevice = 0x61;  // Mirval 2 BOOT
constexpr uint32_t kFixedBootWords = 512;

}  // namespace

bool BootSizeNeedsFuse(uint32_t deviceCode) {
    return LargestFuseBootWords(deviceCode) != 0;
}

uint32_t BootSizeWords(uint32_t deviceCode, uint8_t highFuse) {
    if (deviceCode == kFixedBootDevice) {
        return kFixedBootWords;
    }
    return LargestFuseBootWords(deviceCode) >> ((highFuse >> 1) & 3);
}

std::optional<uint32_t> ReadBootSizeWords(CLowIO& link, uint32_t deviceCode) {
    uint8_t highFuse = 0;
    if (BootSizeNeedsFuse(deviceCode)) {
        if (!link.ReadHighFuseBits(highFuse)) {
            return std::nullopt;
        }
        link.LeaveProgMode();
    }
    return BootSizeWords(deviceCode, highFuse);
}

}  // namespace zentaro
