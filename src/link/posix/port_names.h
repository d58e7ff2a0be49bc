// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace zentaro {

// Maps the board's port names "COM1", "COM2", ... to devices. COMn is the target of the
// per-user link <configHome>/Veltrona/Zentaro/ports/COMn when that link exists (a link
// that leads nowhere means the port is absent); otherwise the n-th existing device of
// fallbackDevices.
struct PortNames {
    std::filesystem::path configHome;
    std::vector<std::string> fallbackDevices;

    // $XDG_CONFIG_HOME (default ~/.config) and /dev/ttyUSB0-9, /dev/ttyACM0-9, /dev/ttyS0-3.
    static PortNames FromEnvironment();

    // The device path for this port name (an absolute path names itself), or an empty text
    // when there is none.
    std::string Resolve(const std::string& portName) const;
};

}  // namespace zentaro
