// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "link/posix/adapter_latency.h"
#include "link/posix/port_names.h"
#include "link/serial_port.h"

namespace zentaro {

// A serial port through termios: raw 8N1, no flow control, DTR and RTS held low, opened
// exclusively where the driver allows it, USB adapters tuned for low latency while it is open.
// Every wait is a poll().
class PosixSerialPort final : public SerialPort {
public:
    explicit PosixSerialPort(PortNames names = PortNames::FromEnvironment(),
                             AdapterDriver& driver = AdapterDriver::System());
    ~PosixSerialPort() override;
    PosixSerialPort(const PosixSerialPort&) = delete;
    PosixSerialPort& operator=(const PosixSerialPort&) = delete;

    [[nodiscard]] bool Open(const std::string& name, int baudRate) override;
    void Close() override;
    bool IsOpen() const override { return fd_ >= 0; }
    long Write(const uint8_t* data, size_t count) override;
    long Read(uint8_t* data, size_t count) override;
    size_t BytesWaiting() override;
    bool WaitForData(int timeoutMs) override;
    void PurgeReceive() override;
    OpenTrouble LastOpenTrouble() const override { return trouble_; }

private:
    PortNames names_;
    OpenTrouble trouble_;
    AdapterLatency latency_;
    int fd_ = -1;
};

}  // namespace zentaro
