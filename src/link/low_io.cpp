// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_io.h"

#include <vector>

namespace zentaro {

CLowIO::CLowIO(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock)
    : port_(std::move(port)), panel_(panel), clock_(clock) {}

CLowIO::~CLowIO() {
    if (port_->IsOpen()) {
        port_->Close();
    }
}

bool CLowIO::IsOpen() const {
    return port_->IsOpen();
}

bool CLowIO::ReadByte(uint8_t& b) {
    return ReadBlock(&b, 1);
}

bool CLowIO::SendString(const std::string& text, bool waitForCR) {
    if (!WriteBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size())) {
        return false;
    }
    return !waitForCR || ReadAck();
}

size_t CLowIO::RxQueueCount() {
    return port_->BytesWaiting();
}

void CLowIO::PurgeReceiveBuffer() {
    port_->PurgeReceive();
}

bool CLowIO::WriteBlock(const uint8_t* data, size_t count) {
    return port_->Write(data, count) == static_cast<long>(count);
}

bool CLowIO::ReadBlock(uint8_t* data, size_t count) {
    return ReadUpTo(data, count) == static_cast<long>(count);
}

bool CLowIO::ReadAck() {
    uint8_t reply = 0;
    return ReadByte(reply) && reply == kCR;
}

bool CLowIO::Send(std::initializer_list<uint8_t> bytes) {
    return WriteBlock(bytes.begin(), bytes.size());
}

bool CLowIO::SendAcked(std::initializer_list<uint8_t> bytes) {
    return Send(bytes) && ReadAck();
}

long CLowIO::ReadUpTo(uint8_t* data, size_t count) {
    const long got = port_->Read(data, count);
    replyMissing_ = count > 0 && got <= 0;
    return got;
}

void CLowIO::DropPending() {
    size_t waiting = port_->BytesWaiting();
    if (waiting == 0) {
        return;
    }
    std::vector<uint8_t> scratch(waiting);
    port_->Read(scratch.data(), scratch.size());
}

}  // namespace zentaro
