// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/config_report.h"

namespace zentaro {

namespace {

void AddCombo(std::vector<ConfigSetting>& settings, const char* name, const ComboState& combo) {
    if (!combo.visible || combo.selected < 0 ||
        static_cast<size_t>(combo.selected) >= combo.entries.size()) {
        return;
    }
    settings.push_back({name, combo.entries[static_cast<size_t>(combo.selected)]});
}

}  // namespace

std::vector<ConfigSetting> SettingsShown(const ControlState& controls) {
    std::vector<ConfigSetting> settings;
    AddCombo(settings, "Lock mode", controls.lock);
    if (!controls.lockDescription.empty()) {
        settings.push_back({"Lock description", controls.lockDescription});
    }
    AddCombo(settings, "BLB0", controls.blb0);
    AddCombo(settings, "BLB1", controls.blb1);
    AddCombo(settings, "Clock source", controls.clock);
    AddCombo(settings, "Start-up", controls.startup);
    AddCombo(settings, "BOD", controls.bod);
    AddCombo(settings, "Boot block", controls.bootBlock);
    for (const BoxState& box : controls.boxes) {
        if (box.visible) {
            settings.push_back({PlainName(box.label), box.ticked});
        }
    }
    return settings;
}

ConfigReport DescribeConfig(const AdvancedOptions& options) {
    ConfigReport report;
    report.rights = options.Rights();
    report.read = Readable(report.rights);
    if (!report.read) {
        return report;
    }
    const AdvancedState& state = options.State();
    report.bytes = state.bytes;
    report.complete = state.bytesComplete;
    report.settings = SettingsShown(state.controls);
    return report;
}

}  // namespace zentaro
