// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "config_bits/rights.h"
#include "production/serial_number.h"

namespace zentaro {

// What a job file asks of every chip. Paths are resolved against the job file's folder.
struct JobSettings {
    std::string device;  // a name the device table knows
    bool erase = true;
    bool verify = true;
    std::optional<std::string> flashFile;
    std::optional<std::string> eepromFile;
    ConfigWrite fuses{};                   // the bytes given one by one, in kConfigByteOrder
    std::optional<std::string> fusesFrom;  // or the ELF file that carries them
    std::optional<SerialRule> serial;
};

struct JobLoad {
    enum class Problem {
        None,
        Content,  // the job file says something wrong (the command line's usage error, 2)
        File,     // the job file or a file it names cannot be read (the file error, 4)
    };
    Problem problem = Problem::None;
    JobSettings job;  // complete only without a problem
    // Every problem found, one per line in the order of the file, each with its line where
    // there is one: "line 7: serial.size must be 1 to 8".
    std::string message;

    bool Ok() const { return problem == Problem::None; }
};

// Reads and checks the job file at path.
JobLoad LoadJobFile(const std::string& path);
// The same for text that the job file at path holds: its folder is where the files it names
// are looked for.
JobLoad ParseJob(std::string_view text, const std::string& path);

}  // namespace zentaro
