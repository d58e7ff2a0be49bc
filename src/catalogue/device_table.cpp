#include "catalogue/device_table.h"

#include <algorithm>

namespace zentaro {

namespace {

// clang-format off
constexpr DeviceRecord kDevices[] = {
//   name, code, flash, EEPROM, support (fuse, lock, read), word-wide, page, EEPROM page,
//   flags, params, page words, target param, min level, type mask, ext
    {"Orlan 1 rev. A", 0x10, 1024, 64, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
    {"Orlan 1 rev. B", 0x11, 1024, 64, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
    {"Orlan 1 rev. C", 0x12, 1024, 64, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
    {"Orlan 1", 0x13, 1024, 64, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 2", 0x20, 2048, 128, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 3", 0x48, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 0, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 4", 0x4C, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 0, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 5", 0x34, 2048, 128, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 6", 0x30, 4096, 256, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 7", 0x28, 4096, 256, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 8", 0x38, 8192, 512, {'P', 'B', 'P', 0}, 1, 0, 0, {0, 1, 1, 0}, 0x7F7F807F, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 1", 0x3A, 8192, 512, {'B', 'B', 'B', 0}, 1, 64, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x20, 0x04, 0x04, 0x03, {1, 0, 0, 0}},
    {"Mirval 1 BOOT", 0x3B, 8192, 512, {'P', 'B', 'B', 0}, 1, 64, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x20, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Orlan 9", 0x6C, 4096, 256, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 10", 0x68, 8192, 512, {'B', 'B', 'B', 0}, 1, 0, 0, {0, 1, 1, 0}, 0xFFFF00FF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Orlan 11", 0x70, 8192, 512, {'0', 'P', 'P', 0}, 1, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0x01, 0x01, {0, 0, 0, 0}},
    {"Orlan 12", 0x71, 12288, 512, {'P', 'P', 'P', 0}, 1, 64, 4, {1, 1, 0, 0}, 0x00000000, 0x20, 0x04, 0x05, 0x01, {1, 1, 0, 0}},
    {"Dunmor 1", 0x80, 1024, 0, {0x00, 'P', 0x00, 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
    {"Dunmor 2", 0x81, 2048, 0, {0x00, 'P', 0x00, 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x01, {0, 0, 0, 0}},
    {"Dunmor 3", 0x86, 8192, 2048, {'P', 'B', 'P', 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
    {"Dunmor 4", 0x87, 12288, 0, {'P', 'B', 'P', 0}, 0, 0, 0, {0, 1, 0, 0}, 0x00000000, 0x10, 0x04, 0xFE, 0x03, {0, 0, 0, 0}},
    {"Mirval 2", 0x60, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 3", 0x65, 8192, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 4", 0x64, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 5", 0x72, 32768, 1024, {'B', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 2 BOOT", 0x61, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 3 BOOT", 0x67, 8192, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 4 BOOT", 0x66, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 5 BOOT", 0x73, 32768, 1024, {'P', 'B', 'B', 0}, 1, 128, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 6", 0x42, 65536, 2048, {'B', 'B', 'B', 0}, 1, 256, 0, {0, 1, 0, 0}, 0x00000000, 0x80, 0x08, 0x01, 0x03, {0, 0, 0, 0}},
    {"Mirval 7", 0x41, 131072, 4096, {'B', 'B', 'B', 0}, 1, 256, 0, {0, 1, 0, 0}, 0x00000000, 0x80, 0x08, 0x01, 0x03, {0, 0, 0, 0}},
    {"Sarko 1", 0x51, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 0, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
    {"Sarko 2", 0x50, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {0, 0, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
    {"Sarko 3", 0x55, 1024, 64, {'B', 'B', 'B', 0}, 1, 0, 0, {1, 0, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Sarko 4", 0x56, 1024, 64, {'B', 'B', 'B', 0}, 1, 0, 0, {1, 0, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    {"Sarko 5", 0x58, 1024, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {1, 1, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
    {"Sarko 6", 0x5C, 2048, 0, {'P', 'P', 'P', 0}, 1, 0, 0, {1, 1, 0, 0}, 0x00000000, 0x10, 0x00, 0x01, 0x01, {0, 0, 0, 0}},
    {"Sarko 7", 0x5E, 2048, 128, {'B', 'B', 'B', 0}, 1, 32, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x10, 0x04, 0x05, 0x03, {1, 1, 0, 0}},
    {"Mirval 8", 0x76, 8192, 512, {'B', 'B', 'B', 0}, 1, 64, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x02, 0x03, {1, 0, 0, 0}},
    {"Mirval 8 BOOT", 0x77, 8192, 512, {'P', 'B', 'B', 0}, 1, 64, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 9", 0x74, 16384, 512, {'B', 'B', 'B', 0}, 1, 128, 4, {1, 1, 1, 0}, 0xFFFFFFFF, 0x40, 0x04, 0x02, 0x03, {1, 0, 0, 0}},
    {"Mirval 9 BOOT", 0x75, 16384, 512, {'P', 'B', 'B', 0}, 1, 128, 4, {1, 1, 0, 0}, 0xFFFFFFFF, 0x40, 0x04, 0xFF, 0x02, {0, 0, 0, 0}},
    {"Mirval 10", 0x43, 131072, 4096, {'B', 'B', 'B', 0}, 1, 256, 8, {1, 1, 1, 0}, 0xFFFFFFFF, 0x80, 0x08, 0x03, 0x03, {1, 0, 0, 0}},
    {"Mirval 10 BOOT", 0x44, 131072, 4096, {'P', 'B', 'B', 0}, 1, 256, 8, {1, 1, 0, 0}, 0xFFFFFFFF, 0x80, 0x08, 0xFF, 0x02, {0, 0, 0, 0}},
    {},
};

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
std::span<const DeviceRecord> Rows() { return DeviceTable().first(DeviceTable().size() - 1); }
std::span<const ProgrammerModeRecord> Modes() {
    return ProgrammerModeTable().first(ProgrammerModeTable().size() - 1);
}

}  // namespace

std::span<const DeviceRecord> DeviceTable() { return kDevices; }
std::span<const ProgrammerModeRecord> ProgrammerModeTable() { return kModes; }

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
