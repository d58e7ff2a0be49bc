// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/in_memory_board.h"

#include <algorithm>
#include <stdexcept>

#include "catalogue/device_table.h"
#include "sim/options.h"

namespace zentaro::test {

namespace {

// The port's time-outs, as the termios port keeps them.
uint64_t ReadTimeoutMs(size_t count) {
    return 50 * count + 4000;
}

}  // namespace

class InMemoryBoard::Wire final : public SerialPort {
public:
    Wire(sim::Board& board, const sim::BoardOptions& options, uint64_t& nowMs)
        : board_(board), options_(options), nowMs_(nowMs) {}

    bool Open(const std::string& name, int baudRate) override {
        open_ = name == options_.port;
        baud_ = baudRate;
        return open_;
    }
    void Close() override {
        open_ = false;
        rx_.clear();
    }
    bool IsOpen() const override { return open_; }

    long Write(const uint8_t* data, size_t count) override {
        if (!open_) {
            return -1;
        }
        if (static_cast<unsigned>(baud_) == options_.baud) {
            for (sim::Reply& reply : board_.Feed({data, count})) {
                late_.push_back(
                    {nowMs_ + static_cast<uint64_t>(reply.delay.count()), std::move(reply.bytes)});
            }
            Deliver(nowMs_);
        }
        return static_cast<long>(count);
    }

    long Read(uint8_t* data, size_t count) override {
        if (!open_) {
            return -1;
        }
        const uint64_t deadline = nowMs_ + ReadTimeoutMs(count);
        Deliver(nowMs_);
        while (rx_.size() < count && !late_.empty() && late_.front().dueMs <= deadline) {
            nowMs_ = std::max(nowMs_, late_.front().dueMs);
            Deliver(nowMs_);
        }
        if (rx_.size() < count) {
            nowMs_ = deadline;
        }
        const size_t got = std::min(count, rx_.size());
        std::copy_n(rx_.begin(), got, data);
        rx_.erase(rx_.begin(), rx_.begin() + static_cast<long>(got));
        return static_cast<long>(got);
    }

    size_t BytesWaiting() override {
        Deliver(nowMs_);
        return rx_.size();
    }

    bool WaitForData(int timeoutMs) override {
        Deliver(nowMs_);
        if (rx_.empty() && !late_.empty() &&
            late_.front().dueMs <= nowMs_ + static_cast<uint64_t>(timeoutMs)) {
            nowMs_ = std::max(nowMs_, late_.front().dueMs);
            Deliver(nowMs_);
        }
        if (rx_.empty()) {
            nowMs_ += static_cast<uint64_t>(timeoutMs);
        }
        return !rx_.empty();
    }

    void PurgeReceive() override {
        Deliver(nowMs_);
        rx_.clear();
    }

private:
    struct Late {
        uint64_t dueMs;
        std::vector<uint8_t> bytes;
    };

    // Replies whose time has come become readable, in the order they were due.
    void Deliver(uint64_t nowMs) {
        std::stable_sort(late_.begin(), late_.end(),
                         [](const Late& a, const Late& b) { return a.dueMs < b.dueMs; });
        while (!late_.empty() && late_.front().dueMs <= nowMs) {
            rx_.insert(rx_.end(), late_.front().bytes.begin(), late_.front().bytes.end());
            late_.pop_front();
        }
    }

    sim::Board& board_;
    const sim::BoardOptions& options_;
    uint64_t& nowMs_;
    std::deque<uint8_t> rx_;
    std::deque<Late> late_;
    bool open_ = false;
    int baud_ = 0;
};

InMemoryBoard::InMemoryBoard(const std::vector<std::string>& options) {
    sim::ParsedOptions parsed = sim::ParseOptions(options);
    if (!parsed.error.empty()) {
        throw std::invalid_argument(parsed.error);
    }
    options_ = std::move(parsed.options);
    const DeviceRecord& device = FindDeviceByName(options_.chip);
    if (device.name == nullptr) {
        throw std::invalid_argument("unknown chip " + options_.chip);
    }
    board_ = std::make_unique<sim::Board>(options_, sim::Chip(device));
    board_->SetLogSink([this](const std::string& line) { log_ += line + "\n"; });
}

std::unique_ptr<SerialPort> InMemoryBoard::Port() {
    return std::make_unique<Wire>(*board_, options_, nowMs_);
}

ScriptedPort::Responder InMemoryBoard::Responder() {
    return [this](const std::string&, int, const ScriptedPort::Bytes& written) {
        ScriptedPort::Bytes answer;
        for (const sim::Reply& reply : board_->Feed(written)) {
            answer.insert(answer.end(), reply.bytes.begin(), reply.bytes.end());
        }
        return answer;
    };
}

}  // namespace zentaro::test
