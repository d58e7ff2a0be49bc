// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/exchange_log.h"

namespace zentaro {

// The least a host can do between two exchanges: it writes each command with write() and
// waits for the reply in a blocking read(), with nothing else on its way. Erases the chip,
// programs image into its flash word by word (the board advancing the address, a page committed
// every pageBytes) and reads it back, the exchanges the program-flash command makes on a board
// without block transfers. device: the board's serial device. Returns what went wrong, or
// nothing when the flash holds the image.
std::string BareProgramAndVerify(const std::string& device, const std::vector<uint8_t>& image,
                                 uint32_t pageBytes, ExchangeLog& log);

}  // namespace zentaro
