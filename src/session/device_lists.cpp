// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/device_lists.h"

#include <algorithm>
#include <string_view>

#include "catalogue/device_table.h"

namespace zentaro {

namespace {

constexpr size_t kRestoreCompareLength = 16;

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

ReportedDevices DevicesForCodes(std::span<const uint8_t> reply) {
    ReportedDevices devices;
    for (const uint8_t code : reply) {
        if (code == 0) {
            break;
        }
        ++devices.codeCount;
        if (const char* name = NameForCode(code)) {
            devices.names.emplace_back(name);
        }
    }
    devices.names = Sorted(std::move(devices.names));
    return devices;
}

std::vector<std::string> ProgrammerTypeLabels(std::span<const uint8_t> reply) {
    std::vector<std::string> labels;
    if (!reply.empty() && reply.front() == '?') {
        return labels;
    }
    for (const uint8_t mode : reply) {
        if (mode == 0) {
            break;
        }
        for (const ProgrammerModeRecord* row : ModesForCharacter(mode)) {
            labels.emplace_back(row->label);
        }
    }
    return Sorted(std::move(labels));
}

std::vector<std::string> DevicesFromTable(uint8_t level, uint8_t typeMask) {
    return Sorted(DevicesForProgrammer(level, typeMask));
}

int RestoreIndex(const std::vector<std::string>& entries, const std::string& storedName) {
    const std::string_view wanted = std::string_view(storedName).substr(0, kRestoreCompareLength);
    int index = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        if (std::string_view(entries[i]).substr(0, kRestoreCompareLength) == wanted) {
            index = static_cast<int>(i);
        }
    }
    return index;
}

}  // namespace zentaro
