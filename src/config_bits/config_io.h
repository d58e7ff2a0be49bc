// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>

#include "catalogue/device_profile.h"
#include "catalogue/device_table.h"
#include "config_bits/control_state.h"
#include "config_bits/rights.h"
#include "link/low_io.h"

namespace zentaro {

// Whether the user has asked the running command to stop.
using StopCheck = std::function<bool()>;

// Who may touch the configuration bytes of a device on a board of a given programmer type.
struct ConfigAccess {
    bool fuses = false;
    bool locks = false;
    bool read = false;
};
// programmerType: the board's answer to 'p', 0 when it gave none.
ConfigAccess AccessFor(const DeviceRecord& device, uint8_t programmerType);

// The four bytes as the device's read plan fetches them; a byte the plan does not read, or a
// read that fails, stays 0xFF. complete: every read of the plan was answered.
struct ConfigRead {
    ConfigBytes bytes;
    bool complete = true;
};
ConfigRead ReadConfigBytes(CLowIO& link, const DeviceProfile& profile, bool serial, uint8_t level);

// The device's write form for each byte: the one-letter writes on a parallel board, the
// '.'/':' instructions on a serial one. True when the board acknowledged the write.
[[nodiscard]] bool WriteLowFuse(CLowIO& link, const DeviceProfile& profile, bool serial,
                                uint8_t value);
[[nodiscard]] bool WriteHighFuse(CLowIO& link, bool serial, uint8_t value);
[[nodiscard]] bool WriteExtendedFuse(CLowIO& link, bool serial, uint8_t value);
[[nodiscard]] bool WriteLockByte(CLowIO& link, const DeviceProfile& profile, bool serial,
                                 uint8_t value);

// Writes the bytes asked for with the device's write forms, the fuses first and the lock last,
// then leaves programming mode. A stop asked for by then keeps the lock byte as it was: a lock
// cannot be undone by the user, a half-written set of fuses can. True when the board
// acknowledged every write that was sent.
[[nodiscard]] bool WriteConfigBytes(CLowIO& link, const DeviceProfile& profile, bool serial,
                                    const ConfigWrite& request, const StopCheck& stopRequested);

}  // namespace zentaro
