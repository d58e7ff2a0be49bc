// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/adapter_latency.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <array>
#include <fstream>

namespace zentaro {

namespace {

constexpr char kLowestTimerMs[] = "1";

class SystemAdapterDriver final : public AdapterDriver {
public:
    bool GetSerial(int fd, serial_struct& info) override {
        return ioctl(fd, TIOCGSERIAL, &info) == 0;
    }
    bool SetSerial(int fd, const serial_struct& info) override {
        serial_struct copy = info;
        return ioctl(fd, TIOCSSERIAL, &copy) == 0;
    }
    // The device number leads to the tty's own sysfs entry, whatever the /dev node or the
    // link the user opened is called. A pty has no such entry.
    std::string TtyName(int fd) override {
        struct stat status {};
        if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) {
            return {};
        }
        const std::string entry = "/sys/dev/char/" + std::to_string(major(status.st_rdev)) + ":" +
                                  std::to_string(minor(status.st_rdev));
        std::array<char, 512> target{};
        const ssize_t length = readlink(entry.c_str(), target.data(), target.size() - 1);
        if (length <= 0) {
            return {};
        }
        const std::string path(target.data(), static_cast<size_t>(length));
        return path.substr(path.rfind('/') + 1);
    }
    std::optional<std::string> ReadAttribute(const std::string& path) override {
        std::ifstream file(path);
        std::string value;
        if (!std::getline(file, value)) {
            return std::nullopt;
        }
        return value;
    }
    bool WriteAttribute(const std::string& path, const std::string& value) override {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
        if (fd < 0) {
            return false;
        }
        const bool written =
            ::write(fd, value.data(), value.size()) == static_cast<ssize_t>(value.size());
        return ::close(fd) == 0 && written;
    }
};

// Where an adapter's driver publishes its latency timer, if it has one.
std::array<std::string, 2> TimerPaths(const std::string& ttyName) {
    return {"/sys/class/tty/" + ttyName + "/device/latency_timer",
            "/sys/bus/usb-serial/devices/" + ttyName + "/latency_timer"};
}

}  // namespace

AdapterDriver& AdapterDriver::System() {
    static SystemAdapterDriver driver;
    return driver;
}

// The kernel's flag word is an int; the flag itself is spelled unsigned.
constexpr int kLowLatency = static_cast<int>(ASYNC_LOW_LATENCY);

void AdapterLatency::Lower(int fd) {
    serial_struct info{};
    if (driver_.GetSerial(fd, info) && !(info.flags & kLowLatency)) {
        info.flags |= kLowLatency;
        loweredSerial_ = driver_.SetSerial(fd, info);
    }
    const std::string name = driver_.TtyName(fd);
    if (name.empty()) {
        return;
    }
    for (const std::string& path : TimerPaths(name)) {
        const std::optional<std::string> current = driver_.ReadAttribute(path);
        if (!current) {
            continue;
        }
        if (*current != kLowestTimerMs && driver_.WriteAttribute(path, kLowestTimerMs)) {
            timerPath_ = path;
            previousTimer_ = *current;
        }
        return;
    }
}

void AdapterLatency::Restore(int fd) {
    // Deliberately unchecked: a driver that refuses to take its setting back at close keeps
    // the lowered one, and there is no one left to tell.
    serial_struct info{};
    if (loweredSerial_ && driver_.GetSerial(fd, info)) {
        info.flags &= ~kLowLatency;
        static_cast<void>(driver_.SetSerial(fd, info));
    }
    loweredSerial_ = false;
    if (!timerPath_.empty()) {
        static_cast<void>(driver_.WriteAttribute(timerPath_, previousTimer_));
        timerPath_.clear();
    }
}

}  // namespace zentaro
