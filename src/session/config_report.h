// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "catalogue/device_table.h"
#include "config_bits/control_state.h"
#include "config_bits/flows.h"
#include "config_bits/rights.h"
#include "link/low_io.h"

namespace zentaro {

// What a setting holds: the entry a combo has selected, or whether a box is ticked.
using SettingValue = std::variant<std::string, bool>;

// One named setting of the device's layout, as the advanced window shows it.
struct ConfigSetting {
    std::string name;
    SettingValue value;
};

// The configuration bytes of the selected device as the advanced options read them.
struct ConfigReport {
    bool read = false;      // the bytes and settings below come from the chip
    bool complete = false;  // every read was answered; a byte whose read failed shows FF
    ConfigBytes bytes;
    ConfigRights rights{};
    std::vector<ConfigSetting> settings;
};

// Describes the options after Open(): the bytes read and the settings they decode into.
ConfigReport DescribeConfig(const AdvancedOptions& options);

// The named settings the controls stand for, as the advanced window shows them.
std::vector<ConfigSetting> SettingsShown(const ControlState& controls);

}  // namespace zentaro
