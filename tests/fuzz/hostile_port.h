// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace zentaro::fuzz {

// Takes bytes off the front of the fuzzer's input.
class FuzzBytes {
public:
    FuzzBytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
    uint16_t Word() { return static_cast<uint16_t>(Byte() << 8 | Byte()); }
    // Up to count bytes (fewer at the end of the input).
    const uint8_t* Take(size_t count, size_t& taken) {
        taken = count < size_ - pos_ ? count : size_ - pos_;
        const uint8_t* start = data_ + pos_;
        pos_ += taken;
        return start;
    }

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

// A run of bytes in one of the transcript's byte stores.
struct Span {
    size_t begin = 0;
    size_t end = 0;
    size_t size() const { return end - begin; }
};

// What the host wrote and what the port then handed it, up to the next write.
struct Exchange {
    Span written;
    Span handedOut;
    // The write carried the data of a block write, not a command.
    bool blockData = false;
};

// Every exchange of one command. Lives across inputs so that its stores are allocated once.
struct Transcript {
    std::vector<Exchange> exchanges;
    std::vector<uint8_t> written;
    std::vector<uint8_t> handedOut;

    void Clear() {
        exchanges.clear();
        written.clear();
        handedOut.clear();
    }
    const uint8_t* Written(const Exchange& e) const { return written.data() + e.written.begin; }
    const uint8_t* HandedOut(const Exchange& e) const {
        return handedOut.data() + e.handedOut.begin;
    }
};

// A board that answers anything: after each write, the next reply in the fuzzer's bytes
// joins the receive queue. A reply is a length byte followed by that many bytes (lengths
// from 0xE0 up count in steps of 32 bytes, so that whole blocks fit). A read takes what is
// queued and comes back short, as a time-out would, when the queue runs dry.
class HostilePort final : public SerialPort {
public:
    HostilePort(FuzzBytes& replies, uint8_t openablePorts, Transcript& transcript)
        : replies_(replies), openablePorts_(openablePorts), log_(transcript) {
        log_.Clear();
        rx_.reserve(1024);
    }

    bool Open(const std::string& name, int baudRate) override;
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    long Write(const uint8_t* data, size_t count) override;
    long Read(uint8_t* data, size_t count) override;
    size_t BytesWaiting() override { return rx_.size() - rxPos_; }
    bool WaitForData(int) override { return BytesWaiting() > 0; }
    void PurgeReceive() override { rxPos_ = rx_.size(); }

    // Forgets the exchanges so far; the next command's start.
    void ClearLog() { log_.Clear(); }
    const Transcript& Log() const { return log_; }

private:
    FuzzBytes& replies_;
    uint8_t openablePorts_;
    bool open_ = false;
    bool blockDataNext_ = false;
    std::vector<uint8_t> rx_;
    size_t rxPos_ = 0;
    Transcript& log_;
};

}  // namespace zentaro::fuzz
