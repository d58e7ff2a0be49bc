// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "link/serial_port.h"

namespace zentaro {

// What the last scan found behind one port name.
struct PortAttempt {
    std::string port;  // "COM1", or the path given
    bool opened = false;
    OpenTrouble trouble;  // why it could not be opened, when it was not
};

// The notice that explains why no board could be reached: every port that exists but could
// not be opened, with its reason and the remedy. Empty when every port was either absent or
// opened (then no board answering is the whole story).
std::string PortTroubleNotice(const std::vector<PortAttempt>& attempts);

}  // namespace zentaro
