// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "bench/exchange_log.h"
#include "link/serial_port.h"

namespace zentaro {

// The port under the link, logging when each command goes out and each reply has come in.
class TimedPort final : public SerialPort {
public:
    TimedPort(std::unique_ptr<SerialPort> inner, ExchangeLog& log)
        : inner_(std::move(inner)), log_(log) {}

    bool Open(const std::string& name, int baudRate) override {
        return inner_->Open(name, baudRate);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    long Write(const uint8_t* data, size_t count) override {
        log_.CommandOut(std::chrono::steady_clock::now());
        writer = std::this_thread::get_id();
        return inner_->Write(data, count);
    }
    long Read(uint8_t* data, size_t count) override {
        const long got = inner_->Read(data, count);
        log_.ReplyIn(std::chrono::steady_clock::now());
        return got;
    }
    size_t BytesWaiting() override { return inner_->BytesWaiting(); }
    bool WaitForData(int timeoutMs) override {
        const bool waiting = inner_->WaitForData(timeoutMs);
        log_.ReplyIn(std::chrono::steady_clock::now());
        return waiting;
    }
    void PurgeReceive() override { inner_->PurgeReceive(); }

    // The thread that last wrote a command: the link's.
    std::atomic<std::thread::id> writer;

private:
    std::unique_ptr<SerialPort> inner_;
    ExchangeLog& log_;
};

}  // namespace zentaro
