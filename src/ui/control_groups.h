// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace zentaro {

// Which of the main window's command groups a request to enable (on) or disable them really
// enables. Nothing runs without a selected device, and the EEPROM commands need a device
// with EEPROM; browsing and leaving programming mode need no device.
struct ControlStates {
    bool flash = false;
    bool eeprom = false;
    bool browse = false;
    bool advanced = false;
    bool leave = false;
};

inline ControlStates ControlStatesFor(bool on, bool hasDevice, uint32_t eepromSize) {
    return ControlStates{.flash = on && hasDevice,
                         .eeprom = on && hasDevice && eepromSize != 0,
                         .browse = on,
                         .advanced = on && hasDevice,
                         .leave = on};
}

}  // namespace zentaro
