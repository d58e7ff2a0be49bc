// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "catalogue/device_profile.h"
#include "config_bits/control_state.h"

namespace zentaro {

// One read of a configuration byte: a single-letter read ('r', 'F', 'N', 'Q') or the
// pass-through ':' with its three instruction bytes.
struct ReadStep {
    uint8_t command = 0;
    std::array<uint8_t, 3> instruction{};
    ConfigByte target = ConfigByte::Low;

    bool operator==(const ReadStep&) const = default;
};

// The reads for a device, in order. serial: the board is the serial type; level: the
// programmer level, which picks 'r' or 'F' for the single-byte devices.
std::vector<ReadStep> ReadPlan(const DeviceProfile& profile, bool serial, uint8_t level);

}  // namespace zentaro
