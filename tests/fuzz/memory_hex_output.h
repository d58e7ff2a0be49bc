// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "images/hex_writer.h"

namespace zentaro::fuzz {

// The HEX writer's records, line by line as the file output writes them, kept in memory.
class MemoryHexOutput final : public HexOutput {
public:
    bool WriteSegmentRecord(uint32_t byteAddress) override {
        AppendSegmentRecord(text, byteAddress);
        return EndLine();
    }
    bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) override {
        if (skipBlank != nullptr && skipBlank(byteAddress, bytes)) {
            return true;
        }
        AppendDataRecord(text, byteAddress, bytes);
        return EndLine();
    }
    bool WriteEndRecord() override {
        text += ":00000001FF";
        return EndLine();
    }
    bool Commit() override { return true; }

    std::string text;
    // When set and true for a record, the record is left out of the text. A reader fills
    // what is not in the text with blanks, so leaving out blank records keeps what it reads.
    // A plain function: it is asked for every record of images of up to 1 MiB.
    bool (*skipBlank)(uint32_t byteAddress, const uint8_t bytes[16]) = nullptr;

private:
    bool EndLine() {
        text += '\n';
        return true;
    }
};

}  // namespace zentaro::fuzz
