// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/interrupt.h"
#include "cli/program.h"
#include "link/system_serial_port.h"
#include "platform/console.h"

int main(int argc, char** argv) {
    zentaro::SystemClock clock;
    const zentaro::cli::ProgramHost host{
        .newPort = zentaro::NewSystemSerialPort,
        .clock = clock,
        .out = stdout,
        .err = stderr,
        .in = stdin,
        .stdinIsTerminal = zentaro::IsTerminal(zentaro::StandardStream::Input),
        .stderrIsTerminal = zentaro::IsTerminal(zentaro::StandardStream::Error)};
    zentaro::UseUtf8Console();
    zentaro::cli::CatchInterrupt();
    return zentaro::cli::RunProgram(std::vector<std::string>(argv + 1, argv + argc), host);
}
