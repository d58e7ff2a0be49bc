// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zentaro {

// Why a port could not be opened.
enum class OpenFailure {
    Absent,            // no such device
    PermissionDenied,  // the user may not read and write it
    Busy,              // another program holds it
    Other,
};

struct OpenTrouble {
    OpenFailure failure = OpenFailure::Absent;
    std::string device;  // the device path tried; empty when the name leads to none
    std::string detail;  // the system's own words, for Other
};

// The byte transport under the link. Opened by the board's port name ("COM1" ... "COM4");
// the implementation maps that name to a device. A read gives up 50 ms per requested byte
// plus 4000 ms after it started, or 100 ms after the last byte once one has arrived.
class SerialPort {
public:
    virtual ~SerialPort() = default;

    // Opens the named port raw 8N1 at this rate. False when there is no such port or it cannot
    // be opened; LastOpenTrouble() then says why.
    [[nodiscard]] virtual bool Open(const std::string& name, int baudRate) = 0;
    virtual OpenTrouble LastOpenTrouble() const { return {}; }
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

    // Number of bytes written, or -1 when the write failed.
    virtual long Write(const uint8_t* data, size_t count) = 0;
    // Number of bytes read before the time-outs ended the read, or -1 on failure.
    virtual long Read(uint8_t* data, size_t count) = 0;
    // Bytes waiting in the receive queue.
    virtual size_t BytesWaiting() = 0;
    // Sleeps until a byte is waiting or timeoutMs has passed; true when a byte is waiting.
    virtual bool WaitForData(int timeoutMs) = 0;
    virtual void PurgeReceive() = 0;
};

}  // namespace zentaro
