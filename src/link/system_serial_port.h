// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

#include "link/serial_port.h"

namespace zentaro {

// The serial port of the system the program runs on, with the port names its users know.
std::unique_ptr<SerialPort> NewSystemSerialPort();

}  // namespace zentaro
