// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <vector>

#include "images/image_load_state.h"

namespace zentaro {

// How an S-record load went.
struct SRecordLoad {
    // 1-based number of the first line that is no well-formed record; the load stopped
    // there. 0 when every line was well formed.
    size_t malformedLine = 0;
    // False when some record's checksum did not match; its data was stored all the same.
    bool checksumsMatch = true;
};

// Loads S-records into image: S1, S2 and S3 data at their 16-, 24- and 32-bit addresses.
// S0 headers and S5/S6 record counts are only checked for their form; S7, S8 or S9 ends the
// file, and what follows is not read. Blank lines and white space around a record are
// allowed, as are LF and CR LF line ends. Rewinds the stream first.
[[nodiscard]] SRecordLoad LoadSRecordImage(std::istream& file, std::vector<uint8_t>& image,
                                           ImageLoadState& state);

}  // namespace zentaro
