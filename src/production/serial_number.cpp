// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/serial_number.h"

#include <algorithm>
#include <cstddef>

namespace zentaro {

namespace {

// The count of distinct values size digits of base hold, or 0 when it exceeds 64 bits (then
// every number fits).
uint64_t Capacity(uint64_t base, unsigned size) {
    uint64_t capacity = 1;
    for (unsigned i = 0; i < size; ++i) {
        if (capacity > UINT64_MAX / base) {
            return 0;
        }
        capacity *= base;
    }
    return capacity;
}

}  // namespace

const char* MemoryName(ImageMemory memory) {
    return memory == ImageMemory::Flash ? "flash" : "EEPROM";
}

SerialBytesResult SerialBytes(const SerialRule& rule, uint64_t number) {
    SerialBytesResult result;
    const uint64_t base =
        rule.form == SerialForm::Binary ? 256 : (rule.form == SerialForm::Decimal ? 10 : 16);
    const uint64_t capacity = Capacity(base, rule.size);
    if (capacity != 0 && number >= capacity) {
        const char* unit =
            rule.form == SerialForm::Binary
                ? (rule.size == 1 ? "byte" : "bytes")
                : (rule.form == SerialForm::Decimal ? "decimal digits" : "hex digits");
        result.error =
            std::to_string(number) + " does not fit in " + std::to_string(rule.size) + " " + unit;
        return result;
    }
    // Least significant digit or byte first, then turned round where the chip wants it so.
    uint64_t rest = number;
    for (unsigned i = 0; i < rule.size; ++i) {
        const auto digit = static_cast<uint8_t>(rest % base);
        rest /= base;
        if (rule.form == SerialForm::Binary) {
            result.bytes.push_back(digit);
        } else {
            result.bytes.push_back(
                static_cast<uint8_t>(digit < 10 ? '0' + digit : 'A' + (digit - 10)));
        }
    }
    if (rule.form != SerialForm::Binary || rule.order == ByteOrder::Big) {
        std::reverse(result.bytes.begin(), result.bytes.end());
    }
    return result;
}

std::string MergeSerial(std::vector<uint8_t>& image, const SerialRule& rule,
                        std::span<const uint8_t> bytes) {
    const uint64_t end = uint64_t{rule.address} + bytes.size();
    if (end > image.size()) {
        return "the serial number at " + std::to_string(rule.address) + " to " +
               std::to_string(end - 1) + " reaches beyond the " + MemoryName(rule.memory) + " (" +
               std::to_string(image.size()) + " bytes)";
    }
    std::copy(bytes.begin(), bytes.end(),
              image.begin() + static_cast<std::ptrdiff_t>(rule.address));
    return {};
}

}  // namespace zentaro
