// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentaro {

// One target chip. Field order and names follow the table the board firmware was built
// against; the record is copied whole by value.
struct DeviceRecord {
    const char* name = nullptr;
    uint32_t deviceCode = 0;
    uint32_t flashSize = 0;
    uint32_t eepromSize = 0;
    // [0] fuse write, [1] lock write, [2] fuse/lock read: 'B' both types, 'P' parallel only,
    // anything else no type.
    std::array<uint8_t, 4> interfaceSupport{};
    uint32_t wordWideFlash = 0;
    uint32_t flashPageSize = 0;
    uint32_t eepromPageSize = 0;
    std::array<uint8_t, 4> programmerFlags{};
    uint32_t programmerParams = 0;
    // The packed descriptor.
    uint8_t pageWords = 0;
    uint8_t targetParam = 0;
    uint8_t minProgrammerLevel = 0;
    uint8_t programmerTypeMask = 0;
    std::array<uint8_t, 4> extFlags{};
};

struct ProgrammerModeRecord {
    const char* label = nullptr;
    uint32_t code = 0;  // low byte: mode character; second byte: type mask

    uint8_t ModeCharacter() const { return static_cast<uint8_t>(code & 0xFF); }
    uint8_t TypeMask() const { return static_cast<uint8_t>((code >> 8) & 0xFF); }
};

inline constexpr const char* kDefaultDeviceName = "Orlan 1 rev. D/E/F";
inline constexpr uint8_t kAllProgrammerTypes = 0x03;

// The 44 device rows followed by the all-zero end row; the rows live with their profiles.
std::span<const DeviceRecord> DeviceTable();
// The six mode rows followed by the end row.
std::span<const ProgrammerModeRecord> ProgrammerModeTable();

// Name of the first row with this code, or nullptr.
const char* NameForCode(uint32_t deviceCode);
// First row whose name equals name exactly; the end row (null name) when none does.
const DeviceRecord& FindDeviceByName(std::string_view name);
// Names of the rows offered to a board of this level and programmer-type mask, in table order.
std::vector<std::string> DevicesForProgrammer(uint8_t level, uint8_t typeMask);
// Mode rows whose mode character is c, in table order.
std::vector<const ProgrammerModeRecord*> ModesForCharacter(uint8_t c);
// Index of the first mode row whose label matches on the first 25 characters, or -1.
int FindModeByLabel(std::string_view label);
// True when an interfaceSupport byte grants access to a board of this type character.
bool AccessGranted(uint8_t supportByte, uint8_t programmerType);

}  // namespace zentaro
