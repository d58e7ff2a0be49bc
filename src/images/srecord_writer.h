// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "images/atomic_file.h"

namespace zentaro {

// Writes the size bytes of memory from address 0 as S-records: an empty S0 header, one data
// record per 16 bytes (the last one shorter when size is not a multiple of 16), the number
// of data records (S5, or S6 past 65535; none past 16777215) and the end record. Data and end
// records take the narrowest address that holds the last byte's: S1 and S9 up to 0xFFFF, S2 and S8
// up to 0xFFFFFF, S3 and S7 above.
[[nodiscard]] bool WriteSRecords(AtomicFile& output, const uint8_t* memory, uint32_t size);

}  // namespace zentaro
