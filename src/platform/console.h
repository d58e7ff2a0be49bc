// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <ctime>
#include <string_view>

namespace zentaro {

enum class StandardStream { Input, Output, Error };

// The stream is a terminal (a console window), not a file or a pipe.
bool IsTerminal(StandardStream stream);
// Has the console show the program's UTF-8 output as such.
void UseUtf8Console();

// The calendar time in UTC.
std::tm ToUtc(std::time_t seconds);

// What asks a command-line program to stop: Ctrl-C, the end of the session or the terminal,
// or the system.
struct StopNotices {
    std::string_view interrupt;  // Ctrl-C (and Ctrl-Break)
    std::string_view terminate;  // asked to end
    std::string_view hangUp;     // the terminal or console went away
};
// From now on, the first request to stop is noted and its notice written to standard error;
// a second one ends the program at once. A request the program was started to ignore stays
// ignored.
void CatchStopRequests(const StopNotices& notices);
bool ProcessStopRequested();
// The exit status that tells how the program was stopped, as a shell shows a signal's.
int ProcessStopExitStatus();

}  // namespace zentaro
