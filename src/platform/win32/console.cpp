// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/console.h"

#include <windows.h>

#include <atomic>
#include <cstdlib>

namespace zentaro {

namespace {

// The exit status of the request that asked for the stop, as a shell would show the
// matching signal's; 0 before any. The console calls the handler on a thread of its own.
std::atomic<int> stopStatus{0};
StopNotices stopNotices;

constexpr int kInterruptStatus = 128 + 2;
constexpr int kHangUpStatus = 128 + 1;
constexpr int kTerminateStatus = 128 + 15;

void WriteError(std::string_view text) {
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_ERROR_HANDLE), text.data(), static_cast<DWORD>(text.size()),
              &written, nullptr);
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
    int status = kTerminateStatus;
    std::string_view notice = stopNotices.terminate;
    if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
        status = kInterruptStatus;
        notice = stopNotices.interrupt;
    } else if (event == CTRL_CLOSE_EVENT) {
        status = kHangUpStatus;
        notice = stopNotices.hangUp;
    }
    int none = 0;
    if (!stopStatus.compare_exchange_strong(none, status)) {
        std::_Exit(status);
    }
    WriteError(notice);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
        // The process ends when this returns: the command gets the few seconds the system
        // allows to reach its next exchange and end cleanly.
        Sleep(INFINITE);
    }
    return TRUE;
}

HANDLE Handle(StandardStream stream) {
    switch (stream) {
        case StandardStream::Input:
            return GetStdHandle(STD_INPUT_HANDLE);
        case StandardStream::Output:
            return GetStdHandle(STD_OUTPUT_HANDLE);
        case StandardStream::Error:
            return GetStdHandle(STD_ERROR_HANDLE);
    }
    return GetStdHandle(STD_ERROR_HANDLE);
}

}  // namespace

bool IsTerminal(StandardStream stream) {
    DWORD mode = 0;
    const HANDLE handle = Handle(stream);
    return GetFileType(handle) == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode) != 0;
}

void UseUtf8Console() {
    SetConsoleOutputCP(CP_UTF8);
    SetConsoleCP(CP_UTF8);
}

std::tm ToUtc(std::time_t seconds) {
    std::tm utc{};
    gmtime_s(&utc, &seconds);
    return utc;
}

void CatchStopRequests(const StopNotices& notices) {
    stopNotices = notices;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool ProcessStopRequested() {
    return stopStatus.load() != 0;
}

int ProcessStopExitStatus() {
    return stopStatus.load();
}

}  // namespace zentaro
