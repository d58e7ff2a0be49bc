// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/hex_text.h"

#include <algorithm>
#include <cstdio>

namespace zentaro::test {

std::string HexRecord(unsigned type, unsigned offset, const uint8_t* bytes, size_t count) {
    char field[16];
    std::snprintf(field, sizeof field, ":%02X%04X%02X", static_cast<unsigned>(count), offset, type);
    std::string line = field;
    unsigned sum = static_cast<unsigned>(count) + (offset >> 8) + (offset & 0xFF) + type;
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(field, sizeof field, "%02X", bytes[i]);
        line += field;
        sum += bytes[i];
    }
    std::snprintf(field, sizeof field, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
    return line + field;
}

std::string HexText(const std::map<uint32_t, std::vector<uint8_t>>& records) {
    std::string text;
    uint32_t segment = 0;
    for (const auto& [start, bytes] : records) {
        for (size_t done = 0; done < bytes.size(); done += 16) {
            const auto address = static_cast<uint32_t>(start + done);
            if (address >> 16 != segment) {
                segment = address >> 16;
                const uint8_t base[] = {static_cast<uint8_t>(segment << 4), 0};
                text += HexRecord(2, 0, base, 2);
            }
            text += HexRecord(0, address & 0xFFFF, bytes.data() + done,
                              std::min<size_t>(16, bytes.size() - done));
        }
    }
    return text + ":00000001FF\n";
}

std::string ReadHexText(const std::vector<uint8_t>& memory) {
    const uint8_t firstSegment[] = {0, 0};
    return HexRecord(2, 0, firstSegment, 2) + HexText({{0, memory}});
}

}  // namespace zentaro::test
