// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/device_profile.h"

#include <array>

namespace zentaro {

namespace {

using enum LayoutClass;
using enum ClockListVariant;
using enum LockEncoding;
using enum LockReadRule;
using enum ConfigBytesRead;
using enum SerialLowFuseForm;
using enum CalibrationSource;

constexpr BootRule FixedBoot(uint32_t words) {
    return {BootSizeKind::Fixed, words};
}
constexpr BootRule FuseBoot(uint32_t largestWords) {
    return {BootSizeKind::HalvedByFuse, largestWords};
}

// One row per device. The record comes first, its fields in the board's order:
//   name, code, flash, EEPROM, support (fuse, lock, read), word-wide, page, EEPROM page,
//   flags, params, page words, target param, min level, type mask, ext
// then the rules that differ from the defaults of DeviceProfile.
// clang-format off
constexpr DeviceProfile kProfiles[] = {
    {.record = {"Orlan 1 rev. A", 0x10, 1024, 64, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
     .layoutClass = K1, .lockEncoding = Bits7And6, .lockRead = LowBits7And6},
    {.record = {"Orlan 1 rev. B", 0x11, 1024, 64, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
     .layoutClass = K1, .lockEncoding = Bits7And6, .lockRead = LowBits7And6},
    {.record = {"Orlan 1 rev. C", 0x12, 1024, 64, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
     .layoutClass = K0},
    {.record = {"Orlan 1", 0x13, 1024, 64, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = IntRcExtXtal, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted,
     .erasedByLeavingProgrammingMode = true},
    {.record = {"Orlan 2", 0x20, 2048, 128, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted},
    {.record = {"Orlan 3", 0x48, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 0, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted,
     .serialReadsByInstruction = true},
    {.record = {"Orlan 4", 0x4C, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 0, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = IntRcExtClock, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted,
     .serialReadsByInstruction = true},
    {.record = {"Orlan 5", 0x34, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K3, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true},
    {.record = {"Orlan 6", 0x30, 4096, 256, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K3, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true,
     .leavesProgModeAfterSerialLowFuse = true},
    {.record = {"Orlan 7", 0x28, 4096, 256, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted},
    {.record = {"Orlan 8", 0x38, 8192, 512, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted},
    {.record = {"Mirval 1", 0x3A, 8192, 512, {'B', 'B', 'B', 0}, 1, 64, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x20, 0x04, 0x04, 0x03, {1, 0, 0, 0}},
     .layoutClass = K14, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 1 BOOT", 0x3B, 8192, 512, {'P', 'B', 'B', 0}, 1, 64, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x20, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K14, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FuseBoot(1024)},
    {.record = {"Orlan 9", 0x6C, 4096, 256, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted,
     .serialReadsByInstruction = true},
    {.record = {"Orlan 10", 0x68, 8192, 512, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K2, .clockList = StartupDelay, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted,
     .serialReadsByInstruction = true},
    {.record = {"Orlan 11", 0x70, 8192, 512, {'0', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0x01, 0x01, {0, 0, 0, 0}},
     .layoutClass = K0, .lockEncoding = Bits2And1, .lockRead = LowBits7And6Inverted},
    {.record = {"Orlan 12", 0x71, 12288, 512, {'P', 'P', 'P', 0}, 1, 64, 4, {1, 1, 0, 0}, 0x00000000, 0x20, 0x04, 0x05, 0x01, {1, 1, 0, 0}},
     .layoutClass = K10, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLow},
    {.record = {"Dunmor 1", 0x80, 1024, 0, {0x00, 'P', 0x00, 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
     .layoutClass = K0},
    {.record = {"Dunmor 2", 0x81, 2048, 0, {0x00, 'P', 0x00, 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
     .layoutClass = K0},
    {.record = {"Dunmor 3", 0x86, 8192, 2048, {'P', 'B', 'P', 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
     .layoutClass = K0, .lockEncoding = FourModes},
    {.record = {"Dunmor 4", 0x87, 12288, 0, {'P', 'B', 'P', 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
     .layoutClass = K0},
    {.record = {"Mirval 2", 0x60, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K11, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLow, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 3", 0x65, 8192, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K12, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 4", 0x64, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K12, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 5", 0x72, 32768, 1024, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K13, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 2 BOOT", 0x61, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K11, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FixedBoot(512), .pageMode = true},
    {.record = {"Mirval 3 BOOT", 0x67, 8192, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K12, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .boot = FuseBoot(1024), .pageMode = true},
    {.record = {"Mirval 4 BOOT", 0x66, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K12, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FuseBoot(1024), .pageMode = true, .lockAfterEncryptedImage = false},
    {.record = {"Mirval 5 BOOT", 0x73, 32768, 1024, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K13, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FuseBoot(2048), .pageMode = true},
    {.record = {"Mirval 6", 0x42, 65536, 2048, {'B', 'B', 'B', 0}, 1, 256, 0, {0, 1, 0, 0}, 0x00000000, 0x80, 0x08, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K4, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true},
    {.record = {"Mirval 7", 0x41, 131072, 4096, {'B', 'B', 'B', 0}, 1, 256, 0, {0, 1, 0, 0}, 0x00000000, 0x80, 0x08, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K4, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true},
    {.record = {"Sarko 1", 0x51, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 0, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
     .layoutClass = K5, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow},
    {.record = {"Sarko 2", 0x50, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 0, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
     .layoutClass = K5, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow},
    {.record = {"Sarko 3", 0x55, 1024, 64, {'B', 'B', 'B', 0}, 1, 0, 0, {1, 0, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K6, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte,
     .calibration = Chip},
    {.record = {"Sarko 4", 0x56, 1024, 64, {'B', 'B', 'B', 0}, 1, 0, 0, {1, 0, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
     .layoutClass = K7, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte,
     .calibration = Chip},
    {.record = {"Sarko 5", 0x58, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {1, 1, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
     .layoutClass = K8, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow},
    {.record = {"Sarko 6", 0x5C, 2048, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {1, 1, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
     .layoutClass = K8, .lockEncoding = Bits2And1, .lockRead = LockBits2And1,
     .bytesRead = LockLow,
     .calibration = Chip},
    {.record = {"Sarko 7", 0x5E, 2048, 128, {'B', 'B', 'B', 0}, 1, 32, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x05, 0x03, {1, 1, 0, 0}},
     .layoutClass = K9, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true,
     .calibration = Chip},
    {.record = {"Mirval 8", 0x76, 8192, 512, {'B', 'B', 'B', 0}, 1, 64, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x02, 0x03, {1, 0, 0, 0}},
     .layoutClass = K16, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 8 BOOT", 0x77, 8192, 512, {'P', 'B', 'B', 0}, 1, 64, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K16, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FuseBoot(1024)},
    {.record = {"Mirval 9", 0x74, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x02, 0x03, {1, 0, 0, 0}},
     .layoutClass = K15, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 9 BOOT", 0x75, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K15, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHigh,
     .calibration = NoSupport, .boot = FuseBoot(1024)},
    {.record = {"Mirval 10", 0x43, 131072, 4096, {'B', 'B', 'B', 0}, 1, 256, 8, {1, 1, 1, 0}, 0xFFFFFFFF, 0x80, 0x08, 0x03, 0x03, {1, 0, 0, 0}},
     .layoutClass = K17, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHighExtended, .serialReadsByInstruction = true,
     .serialLowFuse = WholeByte, .highFuse = true, .extendedFuse = true, .serialLockThroughInstruction = true,
     .calibration = Chip},
    {.record = {"Mirval 10 BOOT", 0x44, 131072, 4096, {'P', 'B', 'B', 0}, 1, 256, 8, {1, 1, 0, 0}, 0xFFFFFFFF, 0x80, 0x08, 0xFF, 0x02, {0, 0, 0, 0}},
     .layoutClass = K17, .lockEncoding = Bits1And0, .lockRead = LockBits1And0,
     .bytesRead = LockLowHighExtended,
     .calibration = NoSupport, .boot = FuseBoot(4096)},
};
// clang-format on

// The records as the board's table holds them: the rows above, then the all-zero end row.
constexpr auto kRecords = [] {
    std::array<DeviceRecord, std::size(kProfiles) + 1> records{};
    for (size_t i = 0; i < std::size(kProfiles); ++i) {
        records[i] = kProfiles[i].record;
    }
    return records;
}();

// What a code that no row has gets: the defaults, an empty record.
constexpr DeviceProfile kUnknownDevice{};

}  // namespace

std::span<const DeviceRecord> DeviceTable() {
    return kRecords;
}
std::span<const DeviceProfile> DeviceProfiles() {
    return kProfiles;
}

const DeviceProfile& ProfileForCode(uint32_t deviceCode) {
    for (const DeviceProfile& profile : kProfiles) {
        if (profile.record.deviceCode == deviceCode) {
            return profile;
        }
    }
    return kUnknownDevice;
}

const DeviceProfile& ProfileFor(const DeviceRecord& record) {
    return ProfileForCode(record.deviceCode);
}

}  // namespace zentaro
