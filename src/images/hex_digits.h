// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace zentaro {

// Value of one hex digit (either case), or -1.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Reads exactly `digits` hex digits at pos and advances pos past them; nothing when the text
// there is shorter or holds anything else.
inline std::optional<uint32_t> ReadHex(std::string_view text, size_t& pos, size_t digits) {
    if (text.size() < pos + digits) {
        return std::nullopt;
    }
    uint32_t value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const int digit = HexDigitValue(text[pos + i]);
        if (digit < 0) {
            return std::nullopt;
        }
        value = value << 4 | static_cast<uint32_t>(digit);
    }
    pos += digits;
    return value;
}

// Writes byte's two upper-case hex digits at out; returns the position after them.
inline char* PutHexByte(char* out, uint32_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out[0] = kDigits[(byte >> 4) & 0xF];
    out[1] = kDigits[byte & 0xF];
    return out + 2;
}

}  // namespace zentaro
