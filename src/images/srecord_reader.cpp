// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/srecord_reader.h"

#include <array>
#include <string>
#include <string_view>

#include "images/hex_digits.h"
#include "images/text_pieces.h"

namespace zentaro {
namespace {

// The longest record: "Sn", the count and 255 counted bytes. A line is read in pieces of
// twice that, which leaves room for white space around it; a longer line is no record.
constexpr size_t kMaxCountedBytes = 255;
constexpr size_t kMaxPiece = 2 * (2 + 2 + 2 * kMaxCountedBytes);

enum class Role { Header, Data, Count, End };

struct RecordType {
    size_t addressBytes;  // 0: no such record type
    Role role;
};

constexpr std::array<RecordType, 10> kTypes = {{
    {2, Role::Header},
    {2, Role::Data},
    {3, Role::Data},
    {4, Role::Data},
    {0, Role::Header},
    {2, Role::Count},
    {3, Role::Count},
    {4, Role::End},
    {3, Role::End},
    {2, Role::End},
}};

struct Record {
    RecordType type;
    uint32_t address = 0;
    std::array<uint8_t, kMaxCountedBytes> data;
    size_t dataSize = 0;
    bool checksumMatches = false;
};

std::string_view Trim(std::string_view line) {
    while (!line.empty() && IsTextSpace(line.front())) {
        line.remove_prefix(1);
    }
    while (!line.empty() && IsTextSpace(line.back())) {
        line.remove_suffix(1);
    }
    return line;
}

// False when the line is not a record whose count matches its length and whose digits are
// all hex; only count and end records with no data past their address are well formed.
bool ParseRecord(std::string_view line, Record& record) {
    if (line.size() < 4 || line[0] != 'S' || line[1] < '0' || line[1] > '9') {
        return false;
    }
    record.type = kTypes[static_cast<size_t>(line[1] - '0')];
    size_t pos = 2;
    const auto count = ReadHex(line, pos, 2);
    if (record.type.addressBytes == 0 || !count || line.size() != 4 + 2 * size_t{*count} ||
        *count < record.type.addressBytes + 1) {
        return false;
    }
    const auto address = ReadHex(line, pos, 2 * record.type.addressBytes);
    if (!address) {
        return false;
    }
    record.address = *address;
    record.dataSize = *count - record.type.addressBytes - 1;
    uint32_t sum = *count + (*address >> 24) + ((*address >> 16) & 0xFF) +
                   ((*address >> 8) & 0xFF) + (*address & 0xFF);
    for (size_t i = 0; i < record.dataSize; ++i) {
        const auto byte = ReadHex(line, pos, 2);
        if (!byte) {
            return false;
        }
        record.data[i] = static_cast<uint8_t>(*byte);
        sum += *byte;
    }
    const auto checksum = ReadHex(line, pos, 2);
    if (!checksum) {
        return false;
    }
    record.checksumMatches = ((sum + *checksum) & 0xFF) == 0xFF;
    const bool bare = record.type.role == Role::Count || record.type.role == Role::End;
    return !bare || record.dataSize == 0;
}

}  // namespace

SRecordLoad LoadSRecordImage(std::istream& file, std::vector<uint8_t>& image,
                             ImageLoadState& state) {
    Rewind(file);
    SRecordLoad load;
    TextPieces pieces(file, kMaxPiece);
    std::string piece;
    Record record;
    for (size_t line = 1; pieces.Next(piece); ++line) {
        const bool cut = piece.size() == kMaxPiece && piece.back() != '\n';
        const std::string_view text = Trim(piece);
        if (text.empty() && !cut) {
            continue;
        }
        if (cut || !ParseRecord(text, record)) {
            load.malformedLine = line;
            return load;
        }
        load.checksumsMatch = load.checksumsMatch && record.checksumMatches;
        if (record.type.role == Role::Data) {
            StoreImageBytes(image, state, record.address, record.data.data(), record.dataSize);
        } else if (record.type.role == Role::End) {
            break;
        }
    }
    return load;
}

}  // namespace zentaro
