// SPDX-License-Identifier: GPL-3.0-or-later
#include "hostile_port.h"

#include <algorithm>

namespace zentaro::fuzz {

bool HostilePort::Open(const std::string& name, int) {
    // "COM1" ... "COM4": one bit each.
    const int n = name.size() == 4 ? name[3] - '1' : -1;
    open_ = n >= 0 && n < 4 && (openablePorts_ >> n & 1) != 0;
    return open_;
}

long HostilePort::Write(const uint8_t* data, size_t count) {
    if (!open_) {
        return -1;
    }
    Exchange exchange;
    exchange.written = {log_.written.size(), log_.written.size() + count};
    exchange.handedOut = {log_.handedOut.size(), log_.handedOut.size()};
    exchange.blockData = blockDataNext_;
    blockDataNext_ = !exchange.blockData && count == 4 && data[0] == 'B';
    log_.written.insert(log_.written.end(), data, data + count);
    log_.exchanges.push_back(exchange);

    const uint8_t code = replies_.Byte();
    const size_t length = code < 0xE0 ? code : (code - 0xDFu) * 32u;
    size_t taken = 0;
    const uint8_t* reply = replies_.Take(length, taken);
    if (rxPos_ == rx_.size()) {
        rx_.clear();
        rxPos_ = 0;
    }
    rx_.insert(rx_.end(), reply, reply + taken);
    return static_cast<long>(count);
}

long HostilePort::Read(uint8_t* data, size_t count) {
    if (!open_) {
        return -1;
    }
    const size_t n = std::min(count, BytesWaiting());
    std::copy_n(rx_.begin() + static_cast<long>(rxPos_), n, data);
    rxPos_ += n;
    if (!log_.exchanges.empty()) {
        log_.handedOut.insert(log_.handedOut.end(), data, data + n);
        log_.exchanges.back().handedOut.end = log_.handedOut.size();
    }
    return static_cast<long>(n);
}

}  // namespace zentaro::fuzz
