// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "images/image_format.h"
#include "session/config_report.h"

namespace zentaro::cli {

enum class Verb { Scan, Devices, Info, Program, Verify, Read, Erase, Fuses, Job };
enum class Memory { Flash, Eeprom };

// Everything the command line asked for.
struct CliOptions {
    Verb verb = Verb::Scan;
    Memory memory = Memory::Flash;
    std::string file;                // program, verify, read: the firmware file; job: the job file
    std::vector<std::string> ports;  // empty: scan COM1 ... COM4
    std::optional<int> baud;
    std::string device;
    bool yes = false;
    bool noVerify = false;
    bool ignoreChecksum = false;
    bool json = false;
    bool quiet = false;
    std::optional<ImageFormat> format;  // the file's format as named; else its content tells
    ConfigWrite fuseWrite{};            // fuses: the bytes to write; none given shows them
    std::string fusesFrom;              // fuses: the ELF file whose fuse and lock bytes to write
    bool allowLockout = false;  // fuses, job: write even bytes that leave the chip out of reach
    std::string logFile;        // job: the production record to append to
    bool repeat = false;        // job: the next chip after Enter, until q
    bool help = false;
    bool version = false;
};

struct ParsedCommandLine {
    CliOptions options;
    std::string error;  // empty when the arguments were understood
};

// Parses the arguments (without the program name).
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);
// The --help text, laid out like a manual page, with the options the parser takes.
std::string HelpText();

// The name of the verb as typed.
const char* VerbName(Verb verb);
// The verb and memory as one word for reports ("program flash", "fuses").
std::string CommandName(const CliOptions& options);

bool NeedsDevice(Verb verb);
bool WritesFuses(const CliOptions& options);

}  // namespace zentaro::cli
