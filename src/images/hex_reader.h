// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "images/image_load_state.h"

namespace zentaro {

// The name the Intel HEX callers have always used for the load state.
using HexLoadState = ImageLoadState;

// The format test: every line (read in pieces of at most 523 characters, the longest record
// with a CR LF line end) starts, after white space, with ':'. Rewinds the stream first.
bool IsHexFile(std::istream& file);
// The 1-based number of the line that fails that test first; 0 when none does.
size_t FirstNonHexLine(std::istream& file);
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
