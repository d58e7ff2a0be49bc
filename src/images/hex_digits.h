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

}  // namespace zentaro
