// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/win32/win32_serial_port.h"

#include <windows.h>

#include <algorithm>
#include <memory>

#include "link/system_serial_port.h"
#include "platform/win32/wide_text.h"

namespace zentaro {

namespace {

// The same time-outs as on every other system: a read gives up 50 ms per requested byte plus
// 4000 ms after it started, or 100 ms after the last byte once one has arrived.
constexpr COMMTIMEOUTS kTimeouts{.ReadIntervalTimeout = 100,
                                 .ReadTotalTimeoutMultiplier = 50,
                                 .ReadTotalTimeoutConstant = 4000,
                                 .WriteTotalTimeoutMultiplier = 500,
                                 .WriteTotalTimeoutConstant = 1500};

constexpr int kBaudRates[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

HANDLE Handle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

// "COM12" is opened as \\.\COM12, which every port number needs beyond COM9; a path is
// taken as it is.
std::string DevicePath(const std::string& name) {
    return name.starts_with("COM") ? "\\\\.\\" + name : name;
}

OpenFailure FailureFor(DWORD error) {
    switch (error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
            return OpenFailure::Absent;
        // Windows answers "access denied" for a port another program holds.
        case ERROR_ACCESS_DENIED:
        case ERROR_SHARING_VIOLATION:
            return OpenFailure::Busy;
        default:
            return OpenFailure::Other;
    }
}

void SetLine(HANDLE port, int baudRate) {
    // Line set-up is best effort: a device that refuses part of it is still tried.
    DCB line{};
    line.DCBlength = sizeof line;
    if (GetCommState(port, &line) != 0) {
        line.BaudRate = static_cast<DWORD>(baudRate);
        line.ByteSize = 8;
        line.Parity = NOPARITY;
        line.StopBits = ONESTOPBIT;
        line.fBinary = TRUE;
        line.fParity = FALSE;
        line.fOutxCtsFlow = FALSE;
        line.fOutxDsrFlow = FALSE;
        line.fDsrSensitivity = FALSE;
        line.fOutX = FALSE;
        line.fInX = FALSE;
        line.fDtrControl = DTR_CONTROL_DISABLE;
        line.fRtsControl = RTS_CONTROL_DISABLE;
        line.fAbortOnError = FALSE;
        SetCommState(port, &line);
    }
    COMMTIMEOUTS timeouts = kTimeouts;
    SetCommTimeouts(port, &timeouts);
}

}  // namespace

Win32SerialPort::~Win32SerialPort() {
    Close();
}

bool Win32SerialPort::Open(const std::string& name, int baudRate) {
    Close();
    const std::string device = DevicePath(name);
    trouble_ = OpenTrouble{.failure = OpenFailure::Absent, .device = device, .detail = {}};
    if (std::find(std::begin(kBaudRates), std::end(kBaudRates), baudRate) == std::end(kBaudRates)) {
        return false;
    }
    const HANDLE port = CreateFileW(Wide(device).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (port == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        trouble_.failure = FailureFor(error);
        trouble_.detail = SystemMessage(error);
        return false;
    }
    SetLine(port, baudRate);
    PurgeComm(port, PURGE_RXCLEAR | PURGE_TXCLEAR);
    handle_ = reinterpret_cast<intptr_t>(port);
    return true;
}

void Win32SerialPort::Close() {
    if (IsOpen()) {
        CloseHandle(Handle(handle_));
        handle_ = -1;
    }
    waiting_.reset();
}

bool Win32SerialPort::IsOpen() const {
    return handle_ != -1;
}

long Win32SerialPort::Write(const uint8_t* data, size_t count) {
    DWORD written = 0;
    if (!IsOpen() ||
        (WriteFile(Handle(handle_), data, static_cast<DWORD>(count), &written, nullptr) == 0 &&
         written == 0)) {
        return -1;
    }
    return static_cast<long>(written);
}

long Win32SerialPort::Read(uint8_t* data, size_t count) {
    if (!IsOpen()) {
        return -1;
    }
    size_t got = 0;
    if (waiting_ && count > 0) {
        data[got++] = *waiting_;
        waiting_.reset();
    }
    if (got == count) {
        return static_cast<long>(got);
    }
    DWORD read = 0;
    if (ReadFile(Handle(handle_), data + got, static_cast<DWORD>(count - got), &read, nullptr) ==
            0 &&
        got == 0) {
        return -1;
    }
    return static_cast<long>(got + read);
}

size_t Win32SerialPort::BytesWaiting() {
    DWORD errors = 0;
    COMSTAT status{};
    if (!IsOpen() || ClearCommError(Handle(handle_), &errors, &status) == 0) {
        return waiting_ ? 1 : 0;
    }
    return status.cbInQue + (waiting_ ? 1u : 0u);
}

bool Win32SerialPort::WaitForData(int timeoutMs) {
    if (!IsOpen()) {
        return false;
    }
    if (BytesWaiting() > 0 || timeoutMs <= 0) {
        return BytesWaiting() > 0;
    }
    // One byte read with a time-out of its own is the wait; the byte is kept for Read.
    COMMTIMEOUTS wait = kTimeouts;
    wait.ReadIntervalTimeout = 0;
    wait.ReadTotalTimeoutMultiplier = 0;
    wait.ReadTotalTimeoutConstant = static_cast<DWORD>(timeoutMs);
    SetCommTimeouts(Handle(handle_), &wait);
    uint8_t byte = 0;
    DWORD read = 0;
    const bool got = ReadFile(Handle(handle_), &byte, 1, &read, nullptr) != 0 && read == 1;
    COMMTIMEOUTS usual = kTimeouts;
    SetCommTimeouts(Handle(handle_), &usual);
    if (got) {
        waiting_ = byte;
    }
    return got;
}

void Win32SerialPort::PurgeReceive() {
    waiting_.reset();
    if (IsOpen()) {
        PurgeComm(Handle(handle_), PURGE_RXCLEAR | PURGE_RXABORT);
    }
}

std::unique_ptr<SerialPort> NewSystemSerialPort() {
    return std::make_unique<Win32SerialPort>();
}

}  // namespace zentaro
