// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>
#include <vector>

#include "config_bits/flows.h"
#include "config_bits/layouts.h"
#include "config_bits/rights.h"
#include "session/config_report.h"

namespace zentaro {

// One named setting of the layout whose value a write changes.
struct SettingChange {
    std::string name;  // as the window shows it, without trailing blanks
    SettingValue before;
    SettingValue after;
};

struct LockoutSetting {
    std::string name;  // as the window shows it
    Lockout kind = Lockout::ResetDisabled;
};

// The clock source entries a write changes from and to.
struct ClockChange {
    std::string before;
    std::string after;
};

// A lock or fuse write set against what the chip holds.
struct ConfigChange {
    ConfigBytes before;                   // as last read from the chip (0xFF where unknown)
    std::array<bool, 4> known{};          // in kConfigByteOrder: the chip's value was read
    ConfigWrite write{};                  // the bytes that will really be sent
    std::vector<SettingChange> settings;  // every named setting that changes
    // Settings whose new value takes the chip out of reach of this programmer, in a byte that
    // is really written and where the chip does not already hold that value.
    std::vector<LockoutSetting> lockouts;
    // A clock source changed to an external clock, crystal or oscillator: the chip no longer
    // runs, and so cannot be programmed, where the board has none fitted.
    std::vector<ClockChange> clockRisks;

    bool LocksOut() const { return !lockouts.empty(); }
};

// The bytes a write leaves on the chip, and what that changes. A byte whose value on the chip
// is unknown counts as changed wherever the new value locks the chip out.
ConfigChange DescribeChange(const DeviceLayout& layout, const ConfigBytes& before,
                            const std::array<bool, 4>& known, const ConfigWrite& write,
                            bool serialProgrammer);

// The same for a write on the chip the lock and fuse view has open: set against the bytes its
// last read found, where that read was allowed and answered in full.
ConfigChange ChangeFor(const AdvancedOptions& options, const ConfigWrite& write);

// The window's Yes/No question before a write that locks the chip out.
std::string LockoutQuestion(const ConfigChange& change);
// The command line's refusal of the same write, naming the settings.
std::string LockoutRefusal(const ConfigChange& change);

}  // namespace zentaro
