// SPDX-License-Identifier: GPL-3.0-or-later
#include "bench/bare_host.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <initializer_list>

#include "bench/workload.h"

namespace zentaro {

namespace {

static_assert(kBenchBaud == 115200, "the line is opened at B115200");
constexpr uint8_t kAck = '\r';
constexpr unsigned kErasePauseMs = 100;
// A read() that has seen nothing for this long (in tenths of a second) gives up.
constexpr cc_t kSilenceDs = 20;

uint8_t High(uint32_t value) {
    return static_cast<uint8_t>(value >> 8);
}
uint8_t Low(uint32_t value) {
    return static_cast<uint8_t>(value);
}

class BareLine {
public:
    BareLine(const std::string& device, ExchangeLog& log)
        : fd_(::open(device.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC)), log_(log) {
        termios settings{};
        if (fd_ >= 0 && tcgetattr(fd_, &settings) == 0) {
            cfmakeraw(&settings);
            cfsetspeed(&settings, B115200);
            settings.c_cc[VMIN] = 0;
            settings.c_cc[VTIME] = kSilenceDs;
            tcsetattr(fd_, TCSANOW, &settings);
        }
    }
    ~BareLine() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    BareLine(const BareLine&) = delete;
    BareLine& operator=(const BareLine&) = delete;

    bool Exchange(std::initializer_list<uint8_t> command, uint8_t* reply, size_t replyBytes) {
        log_.CommandOut(std::chrono::steady_clock::now());
        if (::write(fd_, command.begin(), command.size()) != static_cast<ssize_t>(command.size())) {
            return false;
        }
        for (size_t got = 0; got < replyBytes;) {
            const ssize_t n = ::read(fd_, reply + got, replyBytes - got);
            if (n <= 0) {
                return false;
            }
            got += static_cast<size_t>(n);
        }
        log_.ReplyIn(std::chrono::steady_clock::now());
        return true;
    }
    bool Acked(std::initializer_list<uint8_t> command) {
        uint8_t reply = 0;
        return Exchange(command, &reply, 1) && reply == kAck;
    }
    bool Address(uint32_t word) { return Acked({'A', High(word), Low(word)}); }

private:
    const int fd_;
    ExchangeLog& log_;
};

bool Program(BareLine& line, const std::vector<uint8_t>& image, uint32_t pageWords,
             ExchangeLog& log) {
    if (!line.Acked({'P'}) || !line.Acked({'e'})) {
        return false;
    }
    PausingClock(log).SleepMs(kErasePauseMs);
    const auto words = static_cast<uint32_t>(image.size() / 2);
    const auto commit = [&](uint32_t word) { return line.Address(word) && line.Acked({'m'}); };
    if (!line.Address(0)) {
        return false;
    }
    for (uint32_t word = 0; word < words; ++word) {
        if (word > 0 && word % pageWords == 0 &&
            !(commit(word - pageWords) && line.Address(word))) {
            return false;
        }
        if (!line.Acked({'c', image[2 * word]}) || !line.Acked({'C', image[2 * word + 1]})) {
            return false;
        }
    }
    return commit((words - 1) / pageWords * pageWords) && line.Acked({'L'});
}

bool Verify(BareLine& line, const std::vector<uint8_t>& image) {
    if (!line.Acked({'P'}) || !line.Address(0)) {
        return false;
    }
    for (size_t i = 0; i + 1 < image.size(); i += 2) {
        uint8_t word[2] = {};
        if (!line.Exchange({'R'}, word, 2) || word[0] != image[i + 1] || word[1] != image[i]) {
            return false;
        }
    }
    return line.Acked({'L'});
}

}  // namespace

std::string BareProgramAndVerify(const std::string& device, const std::vector<uint8_t>& image,
                                 uint32_t pageBytes, ExchangeLog& log) {
    BareLine line(device, log);
    if (!Program(line, image, pageBytes / 2, log)) {
        return "programming failed";
    }
    return Verify(line, image) ? std::string() : "verify failed";
}

}  // namespace zentaro
