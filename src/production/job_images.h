// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config_bits/rights.h"
#include "production/job_file.h"

namespace zentaro {

// A memory's image as the job writes it to every chip, before the serial number goes in.
struct JobImage {
    std::vector<uint8_t> bytes;  // the memory's size, 0xFF where the file has nothing
    uint32_t last = 0;           // the highest address the file has data for
};

// A job with its files read: what goes to every chip.
struct PreparedJob {
    JobSettings settings;
    std::optional<JobImage> flash;
    std::optional<JobImage> eeprom;
    ConfigWrite fuses{};  // as given, or as the ELF file of fuses.from carries them
};

struct JobPreparation {
    JobLoad::Problem problem = JobLoad::Problem::None;
    std::string message;  // one line per problem, each naming the job file's key
    PreparedJob job;      // complete only without a problem

    bool Ok() const { return problem == JobLoad::Problem::None; }
};

// Reads the images and the fuse bytes a checked job names. A production line writes exactly
// what its files hold: a file of no format read here, with a bad checksum, with no data for
// its memory or with data beyond it is refused (a file problem), as is a fuse ELF file
// without fuse or lock bytes.
JobPreparation PrepareJob(const JobSettings& settings);

struct ElfFuses {
    ConfigWrite bytes{};  // in kConfigByteOrder; those the file has none for stay empty
    std::string error;    // why not, such as "the ELF file carries no fuse or lock bytes"
};
// The fuse and lock bytes of the ELF file at path.
ElfFuses ReadElfFuses(const std::string& path);

}  // namespace zentaro
