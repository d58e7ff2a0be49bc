// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "link/serial_port.h"

namespace zentaro {

// A serial port of Windows: COM1, COM2, ... by their own names (or a device path such as
// \\.\COM10), opened exclusively, 8N1 without flow control, DTR and RTS held low. The read
// time-outs are the port's own COMMTIMEOUTS, set to the ones every SerialPort keeps.
class Win32SerialPort final : public SerialPort {
public:
    Win32SerialPort() = default;
    ~Win32SerialPort() override;
    Win32SerialPort(const Win32SerialPort&) = delete;
    Win32SerialPort& operator=(const Win32SerialPort&) = delete;

    [[nodiscard]] bool Open(const std::string& name, int baudRate) override;
    void Close() override;
    bool IsOpen() const override;
    long Write(const uint8_t* data, size_t count) override;
    long Read(uint8_t* data, size_t count) override;
    size_t BytesWaiting() override;
    bool WaitForData(int timeoutMs) override;
    void PurgeReceive() override;
    OpenTrouble LastOpenTrouble() const override { return trouble_; }

private:
    // The system's handle, kept as a number so that this header needs no windows.h.
    intptr_t handle_ = -1;
    OpenTrouble trouble_;
    // A byte that WaitForData took from the port, handed out by the next Read.
    std::optional<uint8_t> waiting_;
};

}  // namespace zentaro
