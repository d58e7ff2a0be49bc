// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "link/serial_port.h"

namespace zentaro::test {

// A serial port for link tests: every write is logged, and the reply the test scripted for
// that write becomes readable. Replies can come from a queue (one entry per write, in order)
// or from a responder that sees the port, the rate and the bytes written.
class ScriptedPort : public SerialPort {
public:
    using Bytes = std::vector<uint8_t>;
    using Responder = std::function<Bytes(const std::string& port, int baud, const Bytes& written)>;

    // The reply to the next write that has no earlier queued reply (may be empty).
    void ReplyToNextWrite(Bytes reply) { replies_.push_back(std::move(reply)); }
    // Bytes already waiting before anything is written (a stale reply).
    void Preload(const Bytes& bytes) { rx_.insert(rx_.end(), bytes.begin(), bytes.end()); }
    void SetResponder(Responder responder) { responder_ = std::move(responder); }
    // Which names open; all do by default.
    void SetOpenable(std::function<bool(const std::string&)> openable) {
        openable_ = std::move(openable);
    }
    // Ports that exist but fail to open, and why.
    void SetTrouble(const std::string& name, OpenTrouble trouble) { troubles_[name] = trouble; }
    void FailWrites(bool fail) { failWrites_ = fail; }

    // Every byte written, all writes joined.
    Bytes Written() const;
    const std::vector<Bytes>& Writes() const { return writes_; }
    void ClearWritten() { writes_.clear(); }
    // "open COM1 115200" and "close COM1" in the order they happened.
    const std::vector<std::string>& Events() const { return events_; }
    size_t Pending() const { return rx_.size(); }
    int Purges() const { return purges_; }

    bool Open(const std::string& name, int baudRate) override;
    void Close() override;
    bool IsOpen() const override { return open_; }
    OpenTrouble LastOpenTrouble() const override { return lastTrouble_; }
    long Write(const uint8_t* data, size_t count) override;
    long Read(uint8_t* data, size_t count) override;
    size_t BytesWaiting() override { return rx_.size(); }
    bool WaitForData(int timeoutMs) override;
    void PurgeReceive() override;

private:
    std::deque<Bytes> replies_;
    std::deque<uint8_t> rx_;
    Responder responder_;
    std::function<bool(const std::string&)> openable_;
    std::map<std::string, OpenTrouble> troubles_;
    OpenTrouble lastTrouble_;
    std::vector<Bytes> writes_;
    std::vector<std::string> events_;
    std::string name_;
    int baud_ = 0;
    bool open_ = false;
    bool failWrites_ = false;
    int purges_ = 0;
};

// The writes as short texts: the command letter, then its other bytes in hex
// ("P", "l F9", ":58 00 00", ".AC A0 00 DE").
std::vector<std::string> Commands(const ScriptedPort& port);

}  // namespace zentaro::test
