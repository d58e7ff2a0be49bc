// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

namespace zentaro {

// The first difference a verify found, as the user is shown it. Words are shown as four hex
// digits (with word addresses on word-wide devices), bytes of a block compare as two.
std::string WordMismatch(uint32_t address, uint16_t expected, uint16_t read);
std::string ByteMismatch(uint32_t address, uint8_t expected, uint8_t read);

}  // namespace zentaro
