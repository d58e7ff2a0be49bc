#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "config_bits/control_state.h"

namespace zentaro {

// One read of a configuration byte: a single-letter read ('r', 'F', 'N', 'Q') or the
// pass-through ':' with its three instruction bytes.
struct ReadStep {
    uint8_t command = 0;
    std::array<uint8_t, 3> instruction{};
    ConfigByte target = ConfigByte::Low;

    bool operator==(const ReadStep&) const = default;
};

// The reads for a device, in order. serial: the board is the serial type; level: the
// programmer level, which picks 'r' or 'F' for the single-byte devices.
std::vector<ReadStep> ReadPlan(uint32_t deviceCode, bool serial, uint8_t level);

enum class CalibrationSource {
    None,       // empty text
    NoSupport,  // "No_support"
    Chip,       // read from the chip ('h', or ':' 0x38 0x00 0x00 on the serial type)
};
CalibrationSource CalibrationFor(uint32_t deviceCode);

// Devices whose serial low-fuse write carries the whole byte ('.' 0xAC 0xA0 0x00 v); the
// others carry five fuse bits inside the instruction (':' 0xAC 0xA0+bits 0x00).
bool SerialLowFuseWholeByte(uint32_t deviceCode);
bool HasHighFuse(uint32_t deviceCode);
bool HasExtendedFuse(uint32_t deviceCode);
// Devices whose serial lock write goes through '.' 0xAC 0xE0 0x00 v instead of 'l'.
bool SerialLockThroughInstruction(uint32_t deviceCode);
// The serial low-fuse write of this device leaves programming mode right after.
bool LeavesAfterSerialLowFuse(uint32_t deviceCode);

}  // namespace zentaro
