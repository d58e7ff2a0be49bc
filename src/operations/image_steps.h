// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

#include "operations/memory_commands.h"

namespace zentaro {

// The steps of a production job that put a prepared memory image (context.image) on the
// chip: no file, no question and no erase, which the job runs as a step of its own. Each
// writes the image's bytes first … last as they stand, compares them with the chip when
// verify is set, and ends as the main window's commands end. True when it ended with "OK".
//
// Flash is written from address 0 with blank units skipped, so bytes before first are left
// alone when they are blank in the image; EEPROM is written from first.
[[nodiscard]] bool WriteImageStep(CommandContext& context, ImageMemory memory, uint32_t first,
                                  uint32_t last, bool verify);

}  // namespace zentaro
