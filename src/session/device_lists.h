// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace zentaro {

// The rules by which the lists a front end offers are built from what the board reported.
// Every list is sorted, byte for byte, so it reads the same whatever the locale.

// What a list-type board reported to 't': the names of the codes the device table knows,
// sorted, and how many codes the reply held (known or not) up to its zero byte.
struct ReportedDevices {
    std::vector<std::string> names;
    int codeCount = 0;
};
ReportedDevices DevicesForCodes(std::span<const uint8_t> reply);

// The programmer-type labels for the mode characters a board reported to 'O', sorted.
// Empty when the board does not know the command ('?').
std::vector<std::string> ProgrammerTypeLabels(std::span<const uint8_t> reply);

// The device-table names offered to a board of this level and programmer-type mask, sorted.
std::vector<std::string> DevicesFromTable(uint8_t level, uint8_t typeMask);

// The entry to select for the stored device name: the last entry whose first 16 characters
// equal the stored name's first 16 (a shorter text matches only as a whole), else 0.
int RestoreIndex(const std::vector<std::string>& entries, const std::string& storedName);

}  // namespace zentaro
