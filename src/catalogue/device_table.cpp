// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/device_table.h"

#include <algorithm>

namespace zentaro {

namespace {

// clang-format off
constexpr ProgrammerModeRecord kModes[] = {
    {"Parallel", 0x150},
    {"SPI serial", 0x253},
    {"SPI, Target F >0.1MHz", 0x254},
    {"SPI, Target F >0.2MHz", 0x255},
    {"SPI, Target F >0.9MHz", 0x256},
    {"SPI, Target F >3,6MHz", 0x257},
    {},
};
// clang-format on

// The rows without their end row.
std::span<const DeviceRecord> Rows() {
    return DeviceTable().first(DeviceTable().size() - 1);
}
std::span<const ProgrammerModeRecord> Modes() {
    return ProgrammerModeTable().first(ProgrammerModeTable().size() - 1);
}

}  // namespace

std::span<const ProgrammerModeRecord> ProgrammerModeTable() {
    return kModes;
}

const char* NameForCode(uint32_t deviceCode) {
    for (const DeviceRecord& row : Rows()) {
        if (row.deviceCode == deviceCode) {
            return row.name;
        }
    }
    return nullptr;
}

const DeviceRecord& FindDeviceByName(std::string_view name) {
    for (const DeviceRecord& row : Rows()) {
        if (name == row.name) {
            return row;
        }
    }
    return DeviceTable().back();
}

std::vector<std::string> DevicesForProgrammer(uint8_t level, uint8_t typeMask) {
    std::vector<std::string> names;
    for (const DeviceRecord& row : Rows()) {
        if (row.minProgrammerLevel <= level && (row.programmerTypeMask & typeMask) != 0) {
            names.emplace_back(row.name);
        }
    }
    return names;
}

std::vector<const ProgrammerModeRecord*> ModesForCharacter(uint8_t c) {
    std::vector<const ProgrammerModeRecord*> found;
    for (const ProgrammerModeRecord& mode : Modes()) {
        if (mode.ModeCharacter() == c) {
            found.push_back(&mode);
        }
    }
    return found;
}

int FindModeByLabel(std::string_view label) {
    constexpr size_t kCompared = 25;
    const std::string_view key = label.substr(0, std::min(label.size(), kCompared));
    const auto modes = Modes();
    for (size_t i = 0; i < modes.size(); ++i) {
        std::string_view rowLabel = modes[i].label;
        if (rowLabel.substr(0, std::min(rowLabel.size(), kCompared)) == key) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool AccessGranted(uint8_t supportByte, uint8_t programmerType) {
    return supportByte == 'B' || supportByte == programmerType;
}

}  // namespace zentaro
