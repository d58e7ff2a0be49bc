// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_server.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <optional>

#include "catalogue/device_table.h"
#include "sim/state_file.h"

namespace zentaro::sim {

namespace {

using SteadyClock = std::chrono::steady_clock;
using TimePoint = SteadyClock::time_point;

// With pacing, bytes in the middle of a long transfer are moved in batches of this much
// line time, so the board does not wake once per byte.
constexpr std::chrono::milliseconds kPaceBatch{1};

std::string DefaultConfigHome() {
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg != '\0') {
        return xdg;
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr ? home : ".") + "/.config";
}

}  // namespace

struct SimServer::Outgoing {
    std::vector<uint8_t> bytes;
    TimePoint due;
    size_t sent = 0;
};

struct SimServer::Incoming {
    uint8_t byte;
    TimePoint arrives;  // when its last bit is on the board's side of the line
};

SimServer::SimServer(std::vector<std::string> args, std::string configHome) {
    ParsedOptions parsed = ParseOptions(args);
    options_ = std::move(parsed.options);
    error_ = std::move(parsed.error);
    if (!configHome.empty()) {
        configHome_ = std::move(configHome);
    } else if (!options_.configHome.empty()) {
        configHome_ = options_.configHome;
    } else {
        configHome_ = DefaultConfigHome();
    }
    if (error_.empty()) {
        error_ = BuildBoard();
    }
}

SimServer::~SimServer() {
    Stop();
}

std::string SimServer::LinkPath() const {
    return configHome_ + "/Veltrona/Zentaro/ports/" + options_.port;
}

std::string SimServer::BuildBoard() {
    const DeviceRecord& device = FindDeviceByName(options_.chip);
    if (device.name == nullptr) {
        return "unknown chip \"" + options_.chip + "\"";
    }
    if (!IsKnownBaud(options_.baud)) {
        return "unsupported baud rate " + std::to_string(options_.baud);
    }
    Chip chip(device);
    if (!options_.stateFile.empty()) {
        if (std::string error = LoadState(options_.stateFile, chip); !error.empty()) {
            return error;
        }
    }
    for (const auto& [path, isFlash] :
         {std::pair{options_.flashImage, true}, std::pair{options_.eepromImage, false}}) {
        if (path.empty()) {
            continue;
        }
        std::vector<uint8_t> bytes;
        if (std::string error = ReadRawFile(path, bytes); !error.empty()) {
            return error;
        }
        isFlash ? chip.LoadFlash(bytes) : chip.LoadEeprom(bytes);
    }
    board_ = std::make_unique<Board>(options_, std::move(chip));
    board_->SetLogSink([this](const std::string& line) { Log(line); });
    return {};
}

std::string SimServer::OpenLogAndPort() {
    if (options_.logFile == "-") {
        log_ = stderr;
    } else if (!options_.logFile.empty()) {
        log_ = std::fopen(options_.logFile.c_str(), "w");
        if (log_ == nullptr) {
            return "cannot write the log " + options_.logFile;
        }
        ownLog_ = true;
    }
    return pty_.Open(LinkPath());
}

bool SimServer::Start() {
    if (Running()) {
        return true;
    }
    if (!error_.empty()) {
        return false;
    }
    started_ = SteadyClock::now();
    error_ = OpenLogAndPort();
    if (error_.empty()) {
        wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wakeFd_ < 0) {
            error_ = "cannot create the wake-up descriptor";
        }
    }
    if (!error_.empty()) {
        pty_.Close();
        CloseLog();
        return false;
    }
    thread_ = std::thread([this] { Serve(); });
    return true;
}

void SimServer::Stop() {
    if (!thread_.joinable()) {
        return;
    }
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = write(wakeFd_, &one, sizeof one);
    thread_.join();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
        wakeFd_ = -1;
    }
    pty_.Close();
    std::lock_guard lock(mutex_);
    if (!options_.stateFile.empty()) {
        error_ = SaveState(options_.stateFile, board_->TargetChip());
        if (!error_.empty()) {
            Log(error_);
        }
        board_->TargetChip().ClearChanged();
    }
    CloseLog();
}

void SimServer::CloseLog() {
    if (ownLog_) {
        std::fclose(log_);
        ownLog_ = false;
    }
    log_ = nullptr;
}

void SimServer::Log(const std::string& line) {
    if (log_ != nullptr) {
        const std::chrono::duration<double> since = SteadyClock::now() - started_;
        std::fprintf(log_, "%9.3f %s\n", since.count(), line.c_str());
        std::fflush(log_);
    }
}

void SimServer::SaveIfRestingAfterChange() {
    Chip& chip = board_->TargetChip();
    if (options_.stateFile.empty() || board_->ProgrammingMode() || !chip.Changed()) {
        return;
    }
    if (std::string error = SaveState(options_.stateFile, chip); !error.empty()) {
        Log(error);
    }
    chip.ClearChanged();
}

// The serving loop. Without pacing, bytes are answered as soon as they are read. With
// pacing, every byte takes its time on the line in both directions: a host byte reaches
// the board 10 bit times after the previous one, and reply bytes leave one per 10 bit
// times. A late-reply fault holds back its reply and everything behind it.
void SimServer::Serve() {
    const int master = pty_.MasterFd();
    const auto byteTime = std::chrono::nanoseconds(10'000'000'000LL / options_.baud);
    std::deque<Incoming> incoming;
    std::deque<Outgoing> outgoing;
    TimePoint inLineFree{};
    TimePoint outLineFree{};
    bool writeBlocked = false;
    uint8_t buffer[4096];

    for (;;) {
        const TimePoint now = SteadyClock::now();
        // Hand the board every byte that has arrived.
        size_t ready = 0;
        while (ready < incoming.size() && incoming[ready].arrives <= now) {
            ++ready;
        }
        if (ready > 0) {
            std::vector<uint8_t> bytes(ready);
            for (size_t i = 0; i < ready; ++i) {
                bytes[i] = incoming[i].byte;
            }
            incoming.erase(incoming.begin(), incoming.begin() + static_cast<ptrdiff_t>(ready));
            std::lock_guard lock(mutex_);
            for (Reply& reply : board_->Feed(bytes)) {
                outgoing.push_back({std::move(reply.bytes), now + reply.delay});
            }
            SaveIfRestingAfterChange();
        }
        // Send what is due.
        std::optional<TimePoint> wake;
        while (!outgoing.empty() && !writeBlocked) {
            Outgoing& front = outgoing.front();
            if (front.due > now) {
                wake = front.due;
                break;
            }
            size_t count = front.bytes.size() - front.sent;
            if (options_.pace) {
                const TimePoint start = std::max(front.due, outLineFree);
                const auto elapsed = now - start;
                count = std::min(count,
                                 elapsed < byteTime ? 0 : static_cast<size_t>(elapsed / byteTime));
                if (count == 0) {
                    // Wake for the next byte, or for a batch of them during a long reply.
                    const auto remaining = static_cast<int64_t>(front.bytes.size() - front.sent);
                    wake = std::max(start + byteTime,
                                    std::min(now + kPaceBatch, start + byteTime * remaining));
                    break;
                }
            }
            const ssize_t written = write(master, front.bytes.data() + front.sent, count);
            if (written < 0) {
                writeBlocked = errno == EAGAIN || errno == EWOULDBLOCK;
                if (!writeBlocked) {
                    outgoing.clear();  // the line is gone; nothing can be delivered
                }
                break;
            }
            if (options_.pace) {
                outLineFree = std::max(front.due, outLineFree) + byteTime * written;
            }
            front.sent += static_cast<size_t>(written);
            if (front.sent == front.bytes.size()) {
                outgoing.pop_front();
            }
        }
        if (!incoming.empty()) {
            // The next byte, or a batch of bytes while a long command is on the line.
            const TimePoint next =
                std::max(incoming.front().arrives,
                         std::min(incoming.front().arrives + kPaceBatch, incoming.back().arrives));
            wake = wake ? std::min(*wake, next) : next;
        }

        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {master, static_cast<short>(POLLIN | (writeBlocked ? POLLOUT : 0)), 0}};
        timespec timeout{};
        if (wake) {
            const auto wait = std::max(std::chrono::nanoseconds(0), *wake - SteadyClock::now());
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
        }
        if (ppoll(fds, 2, wake ? &timeout : nullptr, nullptr) < 0 && errno != EINTR) {
            return;
        }
        if (fds[0].revents != 0) {
            return;
        }
        if ((fds[1].revents & POLLOUT) != 0) {
            writeBlocked = false;
        }
        if ((fds[1].revents & POLLIN) == 0) {
            continue;
        }
        const ssize_t got = read(master, buffer, sizeof buffer);
        if (got < 0 && (errno == EAGAIN || errno == EINTR)) {
            continue;
        }
        if (got <= 0) {
            // Cannot happen while the board holds its own slave descriptor; stop rather
            // than spin on a dead line.
            std::lock_guard lock(mutex_);
            Log("the pseudo-terminal failed; the board stops serving");
            return;
        }
        const unsigned hostBaud = pty_.HostBaud();
        if (hostBaud != options_.baud) {
            std::lock_guard lock(mutex_);
            Log("dropped " + std::to_string(got) + " byte(s) sent at " + std::to_string(hostBaud) +
                " baud");
            continue;
        }
        const TimePoint readAt = SteadyClock::now();
        for (ssize_t i = 0; i < got; ++i) {
            TimePoint arrives = readAt;
            if (options_.pace) {
                inLineFree = std::max(inLineFree, readAt) + byteTime;
                arrives = inLineFree;
            }
            incoming.push_back({buffer[i], arrives});
        }
    }
}

std::vector<uint8_t> SimServer::Flash() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->TargetChip().Flash() : std::vector<uint8_t>{};
}

std::vector<uint8_t> SimServer::Eeprom() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->TargetChip().Eeprom() : std::vector<uint8_t>{};
}

ConfigBytes SimServer::Config() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->TargetChip().Config() : ConfigBytes{};
}

std::array<uint8_t, 3> SimServer::Signature() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->TargetChip().Signature() : std::array<uint8_t, 3>{};
}

uint8_t SimServer::Calibration() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->TargetChip().Calibration() : 0;
}

std::array<bool, Board::kLampCount> SimServer::Lamps() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->Lamps() : std::array<bool, Board::kLampCount>{};
}

bool SimServer::ProgrammingMode() const {
    std::lock_guard lock(mutex_);
    return board_ && board_->ProgrammingMode();
}

uint8_t SimServer::SelectedDeviceCode() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->SelectedDeviceCode() : 0;
}

SelectBlock SimServer::LastSelect() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->LastSelect() : SelectBlock{};
}

uint8_t SimServer::ProgrammerMode() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->ProgrammerMode() : 0;
}

Counters SimServer::Count() const {
    std::lock_guard lock(mutex_);
    return board_ ? board_->Count() : Counters{};
}

void SimServer::LoadFlash(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (board_) {
        board_->TargetChip().LoadFlash(bytes);
    }
}

void SimServer::LoadEeprom(std::span<const uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (board_) {
        board_->TargetChip().LoadEeprom(bytes);
    }
}

void SimServer::SetConfig(const ConfigBytes& config) {
    std::lock_guard lock(mutex_);
    if (board_) {
        board_->TargetChip().SetConfig(config);
    }
}

}  // namespace zentaro::sim
