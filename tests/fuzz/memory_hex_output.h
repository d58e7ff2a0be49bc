// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "images/hex_writer.h"

namespace zentaro::fuzz {

// The HEX writer's records, line by line as the file output writes them, kept in memory.
class MemoryHexOutput final : public HexOutput {
public:
    bool WriteSegmentRecord(uint32_t byteAddress) override {
        return Line(FormatSegmentRecord(byteAddress));
    }
    bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) override {
        return Line(FormatDataRecord(byteAddress, bytes));
    }
    bool WriteEndRecord() override { return Line(":00000001FF"); }
    bool Commit() override { return true; }

    std::string text;

private:
    bool Line(const std::string& line) {
        text += line;
        text += '\n';
        return true;
    }
};

}  // namespace zentaro::fuzz
