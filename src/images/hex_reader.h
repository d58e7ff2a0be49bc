// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace zentaro {

// What one load pass tracks besides the memory image. The caller resets it before a load.
struct HexLoadState {
    uint32_t segmentBase = 0;
    // Highest byte address a data record carried, whether or not it fitted into the image.
    uint32_t highestAddress = 0;
    // True once any data record carried at least one byte: an empty file is told apart from
    // a file whose only byte lies at address 0.
    bool loadedData = false;
};

// The format test: every line (read in pieces of at most 523 characters, the longest record
// with a CR LF line end) starts, after white space, with ':'. Rewinds the stream first.
bool IsHexFile(std::istream& file);
// Loads every record into image. True when every record's checksum matched and no address
// record was malformed. Rewinds the stream first and always reads it to its end.
[[nodiscard]] bool LoadHexImage(std::istream& file, std::vector<uint8_t>& image,
                                HexLoadState& state);
// One upper-cased line. Data records (00) are stored at segmentBase + address; segment (02)
// and linear (04) address records set segmentBase when their address field is 0000 and are
// bad otherwise; other record types are only checked; lines that do not start with a record
// header are ignored. A record with a checksum mismatch still takes effect. False for a
// checksum mismatch, a bad address record, or a record whose data digits are not all hex
// (such a record neither stores nor sets anything).
[[nodiscard]] bool ParseHexRecord(const std::string& line, std::vector<uint8_t>& image,
                                  HexLoadState& state);

}  // namespace zentaro
