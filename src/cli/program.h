// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "link/serial_port.h"

namespace zentaro::cli {

// What the program takes from the machine it runs on. main() gives it the serial ports, the
// real clock and the standard streams; a test can give it boards in memory instead.
struct ProgramHost {
    std::function<std::unique_ptr<SerialPort>()> newPort;  // one for every board's link
    Clock& clock;  // the protocol's pauses; shared by the boards' threads
    std::FILE* out;
    std::FILE* err;
    std::FILE* in = nullptr;  // the answers --repeat waits for; none: the run ends
    bool stdinIsTerminal = false;
    bool stderrIsTerminal = false;
};

// Runs the command line (without the program's name) and returns the exit status.
int RunProgram(const std::vector<std::string>& args, const ProgramHost& host);

}  // namespace zentaro::cli
