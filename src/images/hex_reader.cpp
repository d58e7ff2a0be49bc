// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_reader.h"

#include <array>

#include "images/hex_digits.h"
#include "images/text_pieces.h"

namespace zentaro {
namespace {

// A line is taken in pieces; each piece is a line. A piece holds the longest record the
// format allows, 255 data bytes (521 characters), with a CR LF line end.
constexpr size_t kMaxRecordBytes = 255;
constexpr size_t kMaxPiece = 1 + 2 + 4 + 2 + 2 * kMaxRecordBytes + 2 + 2;

constexpr uint32_t kDataRecord = 0x00;
constexpr uint32_t kSegmentRecord = 0x02;
constexpr uint32_t kLinearRecord = 0x04;

size_t SkipSpace(const std::string& line) {
    size_t pos = 0;
    while (pos < line.size() && IsTextSpace(line[pos])) {
        ++pos;
    }
    return pos;
}

void UpperCase(std::string& line) {
    for (char& c : line) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
}

// Segment (type 02, shift 4) and linear (type 04, shift 16) address records: four digits
// after the type, valid only with the address field 0000. A bad one leaves the base alone.
bool SetSegmentBase(const std::string& line, size_t pos, uint32_t address, unsigned shift,
                    HexLoadState& state) {
    const auto value = ReadHex(line, pos, 4);
    if (address != 0 || !value) {
        return false;
    }
    state.segmentBase = *value << shift;
    return true;
}

struct Payload {
    std::array<uint8_t, kMaxRecordBytes> bytes;
    bool checksumMatches = false;
};

// The data bytes of a record of any type and its checksum test. False when a data digit pair
// is not hex: there is no byte value for a broken pair, and taking only the bytes before it
// would leave a silently half-loaded record.
bool ReadPayload(const std::string& line, size_t pos, uint32_t count, uint32_t address,
                 uint32_t type, Payload& payload) {
    uint32_t sum = count + (address & 0xFF) + (address >> 8) + type;
    for (uint32_t i = 0; i < count; ++i) {
        const auto byte = ReadHex(line, pos, 2);
        if (!byte) {
            return false;
        }
        payload.bytes[i] = static_cast<uint8_t>(*byte);
        sum += *byte;
    }
    const auto checksum = ReadHex(line, pos, 2);
    payload.checksumMatches = checksum && ((sum + *checksum) & 0xFF) == 0;
    return true;
}

}  // namespace

size_t FirstNonHexLine(std::istream& file) {
    Rewind(file);
    TextPieces pieces(file, kMaxPiece);
    std::string piece;
    size_t line = 1;
    while (pieces.Next(piece)) {
        const size_t start = SkipSpace(piece);
        if (start == piece.size() || piece[start] != ':') {
            return line;
        }
        if (piece.back() == '\n') {
            ++line;
        }
    }
    return 0;
}

bool IsHexFile(std::istream& file) {
    return FirstNonHexLine(file) == 0;
}

bool LoadHexImage(std::istream& file, std::vector<uint8_t>& image, HexLoadState& state) {
    Rewind(file);
    bool result = true;
    TextPieces pieces(file, kMaxPiece);
    std::string piece;
    while (pieces.Next(piece)) {
        UpperCase(piece);
        result = ParseHexRecord(piece, image, state) && result;
    }
    return result;
}

bool ParseHexRecord(const std::string& line, std::vector<uint8_t>& image, HexLoadState& state) {
    size_t pos = SkipSpace(line);
    if (pos == line.size() || line[pos] != ':') {
        return true;
    }
    ++pos;
    const auto count = ReadHex(line, pos, 2);
    const auto address = count ? ReadHex(line, pos, 4) : std::nullopt;
    const auto type = address ? ReadHex(line, pos, 2) : std::nullopt;
    if (!type) {
        return true;
    }
    Payload payload;
    if (!ReadPayload(line, pos, *count, *address, *type, payload)) {
        return false;
    }
    // A record whose checksum fails still takes effect: the caller asks whether to go on
    // with the file as it loaded.
    switch (*type) {
        case kDataRecord:
            // 64-bit positions: a high base plus the offset must not wrap round to low
            // addresses.
            StoreImageBytes(image, state, uint64_t{state.segmentBase} + *address,
                            payload.bytes.data(), *count);
            return payload.checksumMatches;
        case kSegmentRecord:
            return SetSegmentBase(line, pos, *address, 4, state) && payload.checksumMatches;
        case kLinearRecord:
            return SetSegmentBase(line, pos, *address, 16, state) && payload.checksumMatches;
        default:
            return payload.checksumMatches;
    }
}

}  // namespace zentaro
