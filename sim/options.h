// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zentaro::sim {

// One injected fault (see HelpText for the option syntax).
struct Fault {
    enum class Kind { kDrop, kWrong, kLate, kHangUp };
    Kind kind = Kind::kDrop;
    // The command it applies to: its letter, 'T' for the select-device block and '[' for
    // the upgrade-mode identification. Unused for kHangUp.
    uint8_t command = 0;
    // Which occurrence of the command (1 = first); 0 = every occurrence.
    unsigned occurrence = 0;
    uint8_t wrongByte = 0;                  // kWrong: replaces the first reply byte
    std::chrono::milliseconds delay{5000};  // kLate
    uint64_t afterBytes = 0;                // kHangUp: bytes accepted before going silent
};

// Everything that shapes the simulated board, as given on the command line.
struct BoardOptions {
    std::string port = "COM1";
    std::string configHome;  // empty: $XDG_CONFIG_HOME, else ~/.config
    std::string chip = "Mirval 10";
    std::string identifier = "MZR-SIM";
    std::string version = "12";
    uint8_t programmerType = 'S';
    bool autoIncrement = true;
    uint16_t blockSize = 256;
    // Non-empty: a list-type board that answers 't' with these codes.
    std::vector<uint8_t> deviceCodes;
    std::string modes = "S";  // reply to 'O'; "?" = modes not supported
    uint8_t level = 3;
    unsigned baud = 115200;
    bool upgradeMode = false;
    std::optional<uint8_t> lock, lowFuse, highFuse, extendedFuse, calibration;
    std::string flashImage, eepromImage, stateFile;
    std::vector<Fault> faults;
    bool pace = false;
    std::string logFile;  // "-" = standard error
    bool help = false;
};

struct ParsedOptions {
    BoardOptions options;
    std::string error;  // empty when the arguments were understood
};

// Parses the arguments (without the program name).
ParsedOptions ParseOptions(const std::vector<std::string>& args);

// The --help text.
std::string HelpText();

}  // namespace zentaro::sim
