// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <linux/serial.h>

#include <optional>
#include <string>

namespace zentaro {

// The calls that tune a serial adapter: the driver's serial settings through ioctl and the
// adapter's attributes in sysfs. Tests replace it; AdapterDriver::System() is the real one.
class AdapterDriver {
public:
    virtual ~AdapterDriver() = default;
    [[nodiscard]] virtual bool GetSerial(int fd, serial_struct& info) = 0;
    [[nodiscard]] virtual bool SetSerial(int fd, const serial_struct& info) = 0;
    // The kernel's name of the tty behind fd ("ttyUSB0"); empty when it has none.
    virtual std::string TtyName(int fd) = 0;
    virtual std::optional<std::string> ReadAttribute(const std::string& path) = 0;
    [[nodiscard]] virtual bool WriteAttribute(const std::string& path,
                                              const std::string& value) = 0;

    static AdapterDriver& System();
};

// Many USB serial adapters hold a short reply back for up to 16 ms before passing it on; a
// protocol that waits for a one-byte acknowledgement after every block then crawls. Lower()
// asks the driver to pass bytes on at once and sets the adapter's latency timer to 1 ms;
// Restore() puts back whatever it changed. A port that does not know these settings (a pty,
// a plain UART) or that refuses them (no write access to sysfs) is left as it is.
class AdapterLatency {
public:
    explicit AdapterLatency(AdapterDriver& driver) : driver_(driver) {}

    void Lower(int fd);
    void Restore(int fd);

private:
    AdapterDriver& driver_;
    bool loweredSerial_ = false;
    std::string timerPath_;
    std::string previousTimer_;
};

}  // namespace zentaro
