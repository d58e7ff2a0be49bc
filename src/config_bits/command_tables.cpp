// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/command_tables.h"

namespace zentaro {

namespace {

constexpr ReadStep kReadLock{'r', {}, ConfigByte::Lock};
constexpr ReadStep kReadLow{'F', {}, ConfigByte::Low};
constexpr ReadStep kReadHigh{'N', {}, ConfigByte::High};
constexpr ReadStep kReadExtended{'Q', {}, ConfigByte::Extended};
constexpr ReadStep kSerialLock{':', {0x58, 0x00, 0x00}, ConfigByte::Lock};
constexpr ReadStep kSerialHigh{':', {0x58, 0x08, 0x00}, ConfigByte::High};
constexpr ReadStep kSerialLow{':', {0x50, 0x00, 0x00}, ConfigByte::Low};
constexpr ReadStep kSerialExtended{':', {0x50, 0x08, 0x00}, ConfigByte::Extended};
constexpr ReadStep kSerialFuseByte{':', {0x58, 0x00, 0x00}, ConfigByte::Low};

}  // namespace

std::vector<ReadStep> ReadPlan(const DeviceProfile& profile, bool serial, uint8_t level) {
    const bool instructions = serial && profile.serialReadsByInstruction;
    switch (profile.bytesRead) {
        case ConfigBytesRead::LockLow:
            return instructions ? std::vector{kSerialLock, kSerialLow}
                                : std::vector{kReadLock, kReadLow};
        case ConfigBytesRead::LockLowHigh:
            return instructions ? std::vector{kSerialLock, kSerialHigh, kSerialLow}
                                : std::vector{kReadLock, kReadLow, kReadHigh};
        case ConfigBytesRead::LockLowHighExtended:
            return instructions ? std::vector{kSerialLock, kSerialHigh, kSerialExtended, kSerialLow}
                                : std::vector{kReadLock, kReadLow, kReadHigh, kReadExtended};
        case ConfigBytesRead::CombinedByte:
            break;
    }
    if (instructions) {
        return {kSerialFuseByte};
    }
    // A single byte that carries lock and fuse bits together.
    return {level != 0 ? ReadStep{'r', {}, ConfigByte::Low} : kReadLow};
}

}  // namespace zentaro
