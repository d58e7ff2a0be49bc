// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/srecord_writer.h"

#include <algorithm>
#include <string>

#include "images/hex_digits.h"

namespace zentaro {
namespace {

constexpr uint32_t kRecordBytes = 16;
// Lines are gathered and written in batches of this many characters.
constexpr size_t kBatch = 16384;

// "S<type>", the count, the address's addressBytes bytes, the data and the one's complement
// checksum, and a line feed.
void AppendRecord(std::string& text, char type, uint32_t address, size_t addressBytes,
                  const uint8_t* data, uint32_t size) {
    const auto count = static_cast<uint32_t>(addressBytes + size + 1);
    const size_t at = text.size();
    text.resize(at + 2 + 2 * (1 + count) + 1);
    char* out = text.data() + at;
    *out++ = 'S';
    *out++ = type;
    out = PutHexByte(out, count);
    uint32_t sum = count;
    for (size_t i = addressBytes; i-- > 0;) {
        const uint32_t byte = (address >> (8 * i)) & 0xFF;
        out = PutHexByte(out, byte);
        sum += byte;
    }
    for (uint32_t i = 0; i < size; ++i) {
        out = PutHexByte(out, data[i]);
        sum += data[i];
    }
    out = PutHexByte(out, ~sum & 0xFF);
    *out = '\n';
}

}  // namespace

bool WriteSRecords(AtomicFile& output, const uint8_t* memory, uint32_t size) {
    const uint32_t last = size > 0 ? size - 1 : 0;
    const size_t addressBytes = last <= 0xFFFF ? 2 : last <= 0xFFFFFF ? 3 : 4;
    const char dataType = static_cast<char>('1' + (addressBytes - 2));
    const char endType = static_cast<char>('9' - (addressBytes - 2));
    std::string text;
    text.reserve(kBatch + 64);
    AppendRecord(text, '0', 0, 2, nullptr, 0);
    uint32_t records = 0;
    // 64-bit: the step past the last record must not wrap round to address 0.
    for (uint64_t address = 0; address < size; address += kRecordBytes, ++records) {
        const auto length = static_cast<uint32_t>(std::min<uint64_t>(size - address, kRecordBytes));
        AppendRecord(text, dataType, static_cast<uint32_t>(address), addressBytes, memory + address,
                     length);
        if (text.size() >= kBatch) {
            if (!output.Write(text)) {
                return false;
            }
            text.clear();
        }
    }
    if (records <= 0xFFFF) {
        AppendRecord(text, '5', records, 2, nullptr, 0);
    } else if (records <= 0xFFFFFF) {
        AppendRecord(text, '6', records, 3, nullptr, 0);
    }
    AppendRecord(text, endType, 0, addressBytes, nullptr, 0);
    return output.Write(text);
}

}  // namespace zentaro
