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
#include <fstream>
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

// The board notes each link it makes in a hidden file beside it, holding the link's target.
// A link that leads nowhere is replaced only when its note names that very target: then an
// earlier board made it and was killed before it could remove it. A user's pin, even one to
// a pseudo-terminal, has no such note, and a pin the user made over a killed board's link
// points elsewhere than the note says; both stay.
std::filesystem::path NotePath(const std::filesystem::path& link) {
    return link.parent_path() / ("." + link.filename().string() + ".zentaro-sim");
}

std::string ReadNote(const std::filesystem::path& link) {
    std::ifstream in(NotePath(link));
    std::string target;
    std::getline(in, target);
    return target;
}

bool WriteNote(const std::filesystem::path& link, const std::string& target) {
    std::ofstream out(NotePath(link), std::ios::trunc);
    out << target << '\n';
    out.close();
    return !out.fail();
}

// Makes way for the link: an error text when the path is taken by anything but a link an
// earlier board left behind, which is removed.
std::string ClearLinkPath(const std::filesystem::path& link) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(link, ec))) {
        return {};
    }
    const std::string target = fs::read_symlink(link, ec).string();
    // A link that still leads somewhere is someone's port (a real board the user pinned, or
    // another board on a pseudo-terminal): never take it over.
    if (fs::exists(link, ec)) {
        return link.string() + " already leads to " + target +
               "; choose another --port or remove that link";
    }
    if (target.empty() || ReadNote(link) != target) {
        return link.string() + " leads to " + target +
               ", which is not there; a link zentaro-sim did not make is never replaced: "
               "choose another --port or remove that link";
    }
    fs::remove(link, ec);
    return {};
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
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(linkPath).parent_path(), ec);
    // Before the pseudo-terminal exists: the system may give it the number of the one a
    // killed board linked, and that board's link would then seem to lead somewhere.
    if (std::string error = ClearLinkPath(linkPath); !error.empty()) {
        return error;
    }
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

    // The note comes first: a board killed between the two leaves a note and no link,
    // which is harmless, rather than a link nothing marks as its own.
    std::string error;
    if (!WriteNote(linkPath, slavePath_)) {
        error = "cannot write " + NotePath(linkPath).string();
    } else {
        fs::create_symlink(slavePath_, linkPath, ec);
        if (ec) {
            error = "cannot make the link " + linkPath + ": " + ec.message();
            fs::remove(NotePath(linkPath), ec);
        }
    }
    if (!error.empty()) {
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
        // Another board may have taken the port over once the user removed this link.
        if (ReadNote(linkPath_) == slavePath_) {
            std::filesystem::remove(NotePath(linkPath_), ec);
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
