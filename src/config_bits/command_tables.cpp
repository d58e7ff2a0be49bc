#include "config_bits/command_tables.h"

#include <algorithm>
#include <initializer_list>

namespace zentaro {

namespace {

bool In(uint32_t code, std::initializer_list<uint32_t> codes) {
    return std::find(codes.begin(), codes.end(), code) != codes.end();
}

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

std::vector<ReadStep> ReadPlan(uint32_t deviceCode, bool serial, uint8_t level) {
    if (In(deviceCode, {0x30, 0x34, 0x41, 0x42, 0x55, 0x56, 0x60})) {
        return serial ? std::vector{kSerialLock, kSerialLow} : std::vector{kReadLock, kReadLow};
    }
    if (In(deviceCode, {0x3A, 0x5E, 0x64, 0x65, 0x72, 0x74, 0x76})) {
        return serial ? std::vector{kSerialLock, kSerialHigh, kSerialLow}
                      : std::vector{kReadLock, kReadLow, kReadHigh};
    }
    // The boot-loader variants are read through the board in every mode.
    if (In(deviceCode, {0x3B, 0x61, 0x66, 0x67, 0x73, 0x75, 0x77})) {
        return {kReadLock, kReadLow, kReadHigh};
    }
    if (deviceCode == 0x43) {
        return serial ? std::vector{kSerialLock, kSerialHigh, kSerialExtended, kSerialLow}
                      : std::vector{kReadLock, kReadLow, kReadHigh, kReadExtended};
    }
    if (deviceCode == 0x44) {
        return {kReadLock, kReadLow, kReadHigh, kReadExtended};
    }
    if (In(deviceCode, {0x50, 0x51, 0x58, 0x5C, 0x71})) {
        return {kReadLock, kReadLow};
    }
    if (serial && In(deviceCode, {0x48, 0x4C, 0x68, 0x6C})) {
        return {kSerialFuseByte};
    }
    // A single byte that carries lock and fuse bits together.
    return {level != 0 ? ReadStep{'r', {}, ConfigByte::Low} : kReadLow};
}

CalibrationSource CalibrationFor(uint32_t deviceCode) {
    if (In(deviceCode, {0x3A, 0x43, 0x55, 0x56, 0x5C, 0x5E, 0x60, 0x64, 0x65, 0x72, 0x74, 0x76})) {
        return CalibrationSource::Chip;
    }
    if (In(deviceCode, {0x3B, 0x44, 0x61, 0x66, 0x73, 0x75, 0x77})) {
        return CalibrationSource::NoSupport;
    }
    return CalibrationSource::None;
}

bool SerialLowFuseWholeByte(uint32_t deviceCode) {
    return In(deviceCode, {0x3A, 0x43, 0x55, 0x56, 0x5E, 0x60, 0x64, 0x65, 0x72, 0x74, 0x76});
}

bool HasHighFuse(uint32_t deviceCode) {
    return In(deviceCode, {0x3A, 0x43, 0x5E, 0x64, 0x65, 0x72, 0x74, 0x76});
}

bool HasExtendedFuse(uint32_t deviceCode) {
    return deviceCode == 0x43;
}

bool SerialLockThroughInstruction(uint32_t deviceCode) {
    return In(deviceCode, {0x3A, 0x43, 0x60, 0x64, 0x65, 0x72, 0x74, 0x76});
}

bool LeavesAfterSerialLowFuse(uint32_t deviceCode) {
    return deviceCode == 0x30;
}

}  // namespace zentaro
