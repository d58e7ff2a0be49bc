// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/pty_port.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <utility>

namespace zentaro::sim {

namespace {

constexpr std::array<std::pair<unsigned, speed_t>, 19> kSpeeds = {{
    {1200, B1200},       {2400, B2400},       {4800, B4800},       {9600, B9600},
    {19200, B19200},     {38400, B38400},     {57600, B57600},     {115200, B115200},
    {230400, B230400},   {460800, B460800},   {500000, B500000},   {576000, B576000},
    {921600, B921600},   {1000000, B1000000}, {1152000, B1152000}, {1500000, B1500000},
    {2000000, B2000000}, {3000000, B3000000}, {4000000, B4000000},
}};

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

bool IsKnownBaud(unsigned baud) {
    return SpeedConstant(baud) != 0;
}

unsigned SpeedConstant(unsigned baud) {
    for (const auto& [rate, constant] : kSpeeds) {
        if (rate == baud) {
            return constant;
        }
    }
    return 0;
}

std::string PtyPort::Open(const std::string& linkPath) {
    Close();
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (master_ < 0) {
        return SystemError("cannot create a pseudo-terminal");
    }
    if (grantpt(master_) != 0 || unlockpt(master_) != 0) {
        const std::string error = SystemError("cannot unlock the pseudo-terminal");
        Close();
        return error;
    }
    char name[128];
    if (ptsname_r(master_, name, sizeof name) != 0) {
        const std::string error = SystemError("cannot name the pseudo-terminal");
        Close();
        return error;
    }
    slavePath_ = name;
    slave_ = open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave_ < 0 || tcgetattr(slave_, &tio) != 0) {
        const std::string error = SystemError("cannot open " + slavePath_);
        Close();
        return error;
    }
    cfmakeraw(&tio);
    tcsetattr(slave_, TCSANOW, &tio);

    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(linkPath).parent_path(), ec);
    if (fs::is_symlink(fs::symlink_status(linkPath, ec))) {
        // A link that still leads somewhere is someone's port (a real board the user pinned,
        // or another simulator): never take it over. A dangling one is left from a crash.
        if (fs::exists(linkPath, ec)) {
            const std::string error = linkPath + " already leads to " +
                                      fs::read_symlink(linkPath, ec).string() +
                                      "; choose another --port or remove that link";
            Close();
            return error;
        }
        fs::remove(linkPath, ec);
    }
    fs::create_symlink(slavePath_, linkPath, ec);
    if (ec) {
        const std::string error = "cannot make the link " + linkPath + ": " + ec.message();
        Close();
        return error;
    }
    linkPath_ = linkPath;
    return {};
}

void PtyPort::Close() {
    if (!linkPath_.empty()) {
        std::error_code ec;
        if (std::filesystem::read_symlink(linkPath_, ec) == slavePath_) {
            std::filesystem::remove(linkPath_, ec);
        }
        linkPath_.clear();
    }
    for (int* fd : {&slave_, &master_}) {
        if (*fd >= 0) {
            close(*fd);
            *fd = -1;
        }
    }
    slavePath_.clear();
}

unsigned PtyPort::HostBaud() const {
    termios tio{};
    if (tcgetattr(master_, &tio) != 0) {
        return 0;
    }
    const speed_t speed = cfgetospeed(&tio);
    for (const auto& [rate, constant] : kSpeeds) {
        if (constant == speed) {
            return rate;
        }
    }
    return 0;
}

}  // namespace zentaro::sim
