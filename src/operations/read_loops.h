// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "images/hex_writer.h"
#include "link/low_io.h"

namespace zentaro {

// Read the whole flash or EEPROM of the selected device (sizes as the link holds them) and
// write it to output as Intel HEX records, ending with the end record. They enter
// programming mode, leave it after a successful run and return false without leaving it
// when a read or a write to the output fails, or when the user asked to stop (looked at
// after each block or record). Nothing half-read is written: a failed block
// read fails the loop before any record from its buffer goes out.
[[nodiscard]] bool ReadFlashToHex(CLowIO& link, HexOutput& output);
[[nodiscard]] bool ReadEepromToHex(CLowIO& link, HexOutput& output);

}  // namespace zentaro
