// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "images/image_format.h"

namespace zentaro {

// How a serial number is spelled in the chip: as a binary number, or as ASCII digits
// (decimal, or hexadecimal in upper case), zero-padded on the left to the field's size.
enum class SerialForm { Binary, Decimal, Hex };
enum class ByteOrder { Little, Big };

// Where and how each chip gets its number, from a job file's [serial] table.
struct SerialRule {
    ImageMemory memory = ImageMemory::Eeprom;
    uint32_t address = 0;
    unsigned size = 4;  // bytes in the chip, 1 to 8
    ByteOrder order = ByteOrder::Little;
    SerialForm form = SerialForm::Binary;
    uint64_t start = 1;
    uint64_t step = 1;
    std::string counterPath;  // resolved against the job file's folder
};

struct SerialBytesResult {
    std::vector<uint8_t> bytes;  // rule.size bytes
    // Why the number has no spelling, such as "100000 does not fit in 4 decimal digits".
    std::string error;

    bool Ok() const { return error.empty(); }
};

// The bytes that carry number in the chip under rule.
SerialBytesResult SerialBytes(const SerialRule& rule, uint64_t number);

// Puts bytes into image (the memory rule.memory names) at rule.address. Returns why not, and
// leaves image alone, when they reach beyond its end; empty when they were merged.
std::string MergeSerial(std::vector<uint8_t>& image, const SerialRule& rule,
                        std::span<const uint8_t> bytes);

const char* MemoryName(ImageMemory memory);  // "flash", "EEPROM"

}  // namespace zentaro
