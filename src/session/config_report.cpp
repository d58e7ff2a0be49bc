// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/config_report.h"

#include "catalogue/device_profile.h"
#include "config_bits/codec.h"
#include "config_bits/command_tables.h"
#include "config_bits/config_io.h"

namespace zentaro {

namespace {

constexpr size_t kLockIndex = 0;
constexpr size_t kLowIndex = 1;
constexpr size_t kHighIndex = 2;
constexpr size_t kExtendedIndex = 3;

// kConfigByteOrder follows the enumeration.
size_t IndexOf(ConfigByte which) {
    return static_cast<size_t>(which);
}

void AddCombo(std::vector<ConfigSetting>& settings, const char* name, const ComboState& combo) {
    if (!combo.visible || combo.selected < 0 ||
        static_cast<size_t>(combo.selected) >= combo.entries.size()) {
        return;
    }
    settings.push_back({name, combo.entries[static_cast<size_t>(combo.selected)]});
}

// A label as the window shows it: '&' marks the mnemonic letter, "&&" stands for '&'.
std::string WithoutMnemonic(const std::string& label) {
    std::string shown;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
        }
        shown += label[i];
    }
    return shown;
}

}  // namespace

const char* ConfigByteName(ConfigByte which) {
    switch (which) {
        case ConfigByte::Lock:
            return "lock";
        case ConfigByte::Low:
            return "low";
        case ConfigByte::High:
            return "high";
        case ConfigByte::Extended:
            return "extended";
    }
    return "";
}

std::array<ConfigByteRights, 4> RightsFor(const DeviceRecord& device, uint8_t programmerType,
                                          uint8_t level) {
    const ConfigAccess access = AccessFor(device, programmerType);
    std::array<ConfigByteRights, 4> rights{};
    // Every device takes a lock and a low byte; the other two only where a write form exists.
    rights[kLockIndex].present = true;
    rights[kLowIndex].present = true;
    const DeviceProfile& profile = ProfileFor(device);
    rights[kHighIndex].present = profile.highFuse;
    rights[kExtendedIndex].present = profile.extendedFuse;
    for (const ReadStep& step : ReadPlan(profile, programmerType == 'S', level)) {
        rights[IndexOf(step.target)].readable = access.read;
    }
    rights[kLockIndex].writable = access.locks;
    for (size_t fuse : {kLowIndex, kHighIndex, kExtendedIndex}) {
        rights[fuse].writable = rights[fuse].present && access.fuses;
    }
    return rights;
}

ConfigReport DescribeConfig(const AdvancedOptions& options, const DeviceRecord& device,
                            uint8_t level) {
    ConfigReport report;
    report.rights = RightsFor(device, options.ProgrammerType(), level);
    report.read = AccessFor(device, options.ProgrammerType()).read;
    if (!report.read) {
        return report;
    }
    const AdvancedState& state = options.State();
    report.bytes = state.bytes;
    report.complete = state.bytesComplete;
    const ControlState& controls = state.controls;
    AddCombo(report.settings, "Lock mode", controls.lock);
    if (!controls.lockDescription.empty()) {
        report.settings.push_back({"Lock description", controls.lockDescription});
    }
    AddCombo(report.settings, "BLB0", controls.blb0);
    AddCombo(report.settings, "BLB1", controls.blb1);
    AddCombo(report.settings, "Clock source", controls.clock);
    AddCombo(report.settings, "Start-up", controls.startup);
    AddCombo(report.settings, "BOD", controls.bod);
    AddCombo(report.settings, "Boot block", controls.bootBlock);
    for (const BoxState& box : controls.boxes) {
        if (box.visible) {
            report.settings.push_back({WithoutMnemonic(box.label), box.ticked ? "[x]" : "[ ]"});
        }
    }
    return report;
}

std::string RefusalFor(const ConfigWrite& request, const std::array<ConfigByteRights, 4>& rights) {
    for (size_t i = 0; i < request.size(); ++i) {
        if (!request[i]) {
            continue;
        }
        const std::string name = ConfigByteName(kConfigByteOrder[i]);
        if (!rights[i].present) {
            return "this device has no " + name + " byte";
        }
        if (!rights[i].writable) {
            return "this programmer may not write the " + name + " byte of this device";
        }
    }
    return {};
}

bool WriteConfig(CLowIO& link, const DeviceRecord& device, uint8_t programmerType,
                 const ConfigWrite& request) {
    const bool serial = programmerType == 'S';
    bool written = true;
    if (request[kLowIndex]) {
        written = WriteLowFuse(link, ProfileFor(device), serial, *request[kLowIndex]) && written;
    }
    if (request[kHighIndex]) {
        written = WriteHighFuse(link, serial, *request[kHighIndex]) && written;
    }
    if (request[kExtendedIndex]) {
        written = WriteExtendedFuse(link, serial, *request[kExtendedIndex]) && written;
    }
    if (request[kLockIndex]) {
        written = WriteLockByte(link, ProfileFor(device), serial, *request[kLockIndex]) && written;
    }
    // Deliberately unchecked: the link forgets programming mode whatever the board answers.
    static_cast<void>(link.LeaveProgMode());
    return written;
}

}  // namespace zentaro
