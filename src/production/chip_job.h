// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

#include "production/job_images.h"
#include "production/production_record.h"
#include "production/serial_counter.h"
#include "session/session.h"

namespace zentaro {

struct ChipJobControl {
    // Write fuse bytes that take the chip out of reach of this programmer.
    bool allowLockout = false;
    // The exit status of a stop the user asked for (such as 130 for Ctrl-C); 0 while none.
    std::function<int()> stopStatus = [] { return 0; };
};

// Runs a job on the chip in the board that session holds (found, with the job's device
// selected) and tells what happened as its production record.
//
// The signature is read first: without it no step runs. The steps then run in this order,
// each only after the ones before it went well: erase, flash, EEPROM, serial, fuses and lock
// last, so that a chip is locked only once everything else is on it. A step that fails ends
// the chip's job; the steps after it are skipped (or stopped, when the user asked to stop).
//
// With a serial rule the chip's number is reserved from counter before anything is written
// and merged into the image of its memory, so that the memory's own verify covers it; a job
// without an image for that memory writes and verifies the number's bytes alone. The number
// counts as used only when every step went well; otherwise it is given back for the next chip.
ProductionRecord RunChipJob(Session& session, const PreparedJob& job, SerialCounter* counter,
                            const ChipJobControl& control);

}  // namespace zentaro
