// SPDX-License-Identifier: GPL-3.0-or-later
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/interrupt.h"
#include "cli/program.h"
#include "link/posix_serial_port.h"

int main(int argc, char** argv) {
    zentaro::SystemClock clock;
    const zentaro::cli::ProgramHost host{
        .newPort = [] { return std::make_unique<zentaro::PosixSerialPort>(); },
        .clock = clock,
        .out = stdout,
        .err = stderr,
        .in = stdin,
        .stdinIsTerminal = ::isatty(STDIN_FILENO) == 1,
        .stderrIsTerminal = ::isatty(STDERR_FILENO) == 1};
    zentaro::cli::CatchInterrupt();
    return zentaro::cli::RunProgram(std::vector<std::string>(argv + 1, argv + argc), host);
}
