// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/mismatch_message.h"

#include <cstdio>

namespace zentaro {

std::string WordMismatch(uint32_t address, uint16_t expected, uint16_t read) {
    char text[96];
    std::snprintf(text, sizeof text, "   地址: 0x%04x, 原始数据: 0x%04x, 芯片数据: 0x%04x",
                  static_cast<unsigned>(address), static_cast<unsigned>(expected),
                  static_cast<unsigned>(read));
    return text;
}

std::string ByteMismatch(uint32_t address, uint8_t expected, uint8_t read) {
    char text[96];
    std::snprintf(text, sizeof text, "   地址: 0x%04x, 原始数据: 0x%02x, 芯片数据: 0x%02x",
                  static_cast<unsigned>(address), static_cast<unsigned>(expected),
                  static_cast<unsigned>(read));
    return text;
}

}  // namespace zentaro
