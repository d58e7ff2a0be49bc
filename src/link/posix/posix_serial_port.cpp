// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <optional>

#include "link/system_serial_port.h"

namespace zentaro {

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A read gives up this long after it started, per requested byte plus a constant, ...
constexpr long kReadMsPerByte = 50;
constexpr long kReadConstantMs = 4000;
// ... or this long after the last byte once one has arrived.
constexpr milliseconds kReadIntervalMs{100};
constexpr long kWriteMsPerByte = 500;
constexpr long kWriteConstantMs = 1500;

std::optional<speed_t> SpeedFor(int baudRate) {
    switch (baudRate) {
        case 1200:
            return B1200;
        case 2400:
            return B2400;
        case 4800:
            return B4800;
        case 9600:
            return B9600;
        case 19200:
            return B19200;
        case 38400:
            return B38400;
        case 57600:
            return B57600;
        case 115200:
            return B115200;
        case 230400:
            return B230400;
        default:
            return std::nullopt;
    }
}

// Time left until deadline, rounded up to whole milliseconds; 0 once it has passed.
int RemainingMs(Clock::time_point deadline) {
    const auto left = std::chrono::ceil<milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::max<decltype(left)>(left, 0));
}

// Waits for events on fd until deadline. >0: ready (revents set), 0: time-out, <0: error.
int PollUntil(int fd, short events, Clock::time_point deadline, short& revents) {
    for (;;) {
        pollfd entry{fd, events, 0};
        const int rc = poll(&entry, 1, RemainingMs(deadline));
        if (rc < 0 && errno == EINTR) {
            continue;
        }
        revents = entry.revents;
        return rc;
    }
}

OpenFailure FailureFor(int error) {
    switch (error) {
        case ENOENT:
        case ENXIO:
        case ENODEV:
        case ENOTDIR:
            return OpenFailure::Absent;
        case EACCES:
        case EPERM:
            return OpenFailure::PermissionDenied;
        case EBUSY:
            return OpenFailure::Busy;
        default:
            return OpenFailure::Other;
    }
}

}  // namespace

PosixSerialPort::PosixSerialPort(PortNames names, AdapterDriver& driver)
    : names_(std::move(names)), latency_(driver) {}

PosixSerialPort::~PosixSerialPort() {
    Close();
}

bool PosixSerialPort::Open(const std::string& name, int baudRate) {
    Close();
    const std::optional<speed_t> speed = SpeedFor(baudRate);
    const std::string device = names_.Resolve(name);
    trouble_ = OpenTrouble{.failure = OpenFailure::Absent, .device = device, .detail = {}};
    if (!speed || device.empty()) {
        return false;
    }
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        trouble_.failure = FailureFor(errno);
        trouble_.detail = std::strerror(errno);
        return false;
    }
    // Line set-up is best effort, as on the board's original platform: a device that
    // refuses part of it is still tried.
    ioctl(fd, TIOCEXCL);
    termios settings{};
    if (tcgetattr(fd, &settings) == 0) {
        cfmakeraw(&settings);
        settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS);
        settings.c_cflag |= CS8 | CLOCAL | CREAD;
        settings.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
        settings.c_cc[VMIN] = 0;
        settings.c_cc[VTIME] = 0;
        cfsetispeed(&settings, *speed);
        cfsetospeed(&settings, *speed);
        tcsetattr(fd, TCSANOW, &settings);
    }
    int lines = TIOCM_DTR | TIOCM_RTS;
    ioctl(fd, TIOCMBIC, &lines);
    latency_.Lower(fd);
    fd_ = fd;
    return true;
}

void PosixSerialPort::Close() {
    if (fd_ >= 0) {
        latency_.Restore(fd_);
        // Exclusive use ends with our hold on the port: a device that another descriptor keeps
        // open (a simulated board holds its own end) would otherwise refuse every later open
        // by an unprivileged user, e.g. the next scan step.
        ioctl(fd_, TIOCNXCL);
        ::close(fd_);
        fd_ = -1;
    }
}

long PosixSerialPort::Write(const uint8_t* data, size_t count) {
    if (fd_ < 0) {
        return -1;
    }
    const auto deadline =
        Clock::now() + milliseconds(kWriteMsPerByte * static_cast<long>(count) + kWriteConstantMs);
    size_t written = 0;
    while (written < count) {
        const ssize_t rc = ::write(fd_, data + written, count - written);
        if (rc > 0) {
            written += static_cast<size_t>(rc);
            continue;
        }
        if (rc < 0 && errno == EINTR) {
            continue;
        }
        if (rc < 0 && errno != EAGAIN) {
            return written > 0 ? static_cast<long>(written) : -1;
        }
        short revents = 0;
        if (PollUntil(fd_, POLLOUT, deadline, revents) <= 0 || !(revents & POLLOUT)) {
            break;
        }
    }
    return static_cast<long>(written);
}

long PosixSerialPort::Read(uint8_t* data, size_t count) {
    if (fd_ < 0) {
        return -1;
    }
    const auto start = Clock::now();
    const auto totalDeadline =
        start + milliseconds(kReadMsPerByte * static_cast<long>(count) + kReadConstantMs);
    auto deadline = totalDeadline;
    size_t got = 0;
    while (got < count) {
        short revents = 0;
        const int rc = PollUntil(fd_, POLLIN, deadline, revents);
        if (rc < 0) {
            return got > 0 ? static_cast<long>(got) : -1;
        }
        if (rc == 0) {
            break;
        }
        const ssize_t n = ::read(fd_, data + got, count - got);
        if (n > 0) {
            got += static_cast<size_t>(n);
            deadline = std::min(totalDeadline, Clock::now() + kReadIntervalMs);
            continue;
        }
        if (n < 0 && (errno == EINTR || errno == EAGAIN) && (revents & POLLIN)) {
            continue;
        }
        // End of file, a hang-up or a device error: nothing more will come.
        if (got == 0 && n < 0 && errno != EAGAIN) {
            return -1;
        }
        break;
    }
    return static_cast<long>(got);
}

size_t PosixSerialPort::BytesWaiting() {
    int waiting = 0;
    if (fd_ < 0 || ioctl(fd_, FIONREAD, &waiting) < 0 || waiting < 0) {
        return 0;
    }
    return static_cast<size_t>(waiting);
}

bool PosixSerialPort::WaitForData(int timeoutMs) {
    if (fd_ < 0) {
        return false;
    }
    short revents = 0;
    const auto deadline = Clock::now() + milliseconds(std::max(timeoutMs, 0));
    // A hung-up line also reports readable; only real bytes count.
    return PollUntil(fd_, POLLIN, deadline, revents) > 0 && (revents & POLLIN) &&
           BytesWaiting() > 0;
}

void PosixSerialPort::PurgeReceive() {
    if (fd_ >= 0) {
        tcflush(fd_, TCIFLUSH);
    }
}

std::unique_ptr<SerialPort> NewSystemSerialPort() {
    return std::make_unique<PosixSerialPort>();
}

}  // namespace zentaro
