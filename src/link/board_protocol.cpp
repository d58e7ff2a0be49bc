// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/board_protocol.h"

#include <vector>

namespace zentaro {

BoardProtocol::BoardProtocol(std::unique_ptr<SerialPort> port, Clock& clock)
    : port_(std::move(port)), clock_(clock) {}

BoardProtocol::~BoardProtocol() {
    if (port_->IsOpen()) {
        port_->Close();
    }
}

bool BoardProtocol::ReadByte(uint8_t& b) {
    return ReadBlock(&b, 1);
}

bool BoardProtocol::SendString(const std::string& text, bool waitForCR) {
    if (!WriteBlock(reinterpret_cast<const uint8_t*>(text.data()), text.size())) {
        return false;
    }
    return !waitForCR || ReadAck();
}

size_t BoardProtocol::RxQueueCount() {
    return port_->BytesWaiting();
}

void BoardProtocol::PurgeReceiveBuffer() {
    port_->PurgeReceive();
}

bool BoardProtocol::WriteBlock(const uint8_t* data, size_t count) {
    return port_->Write(data, count) == static_cast<long>(count);
}

bool BoardProtocol::ReadBlock(uint8_t* data, size_t count) {
    return ReadUpTo(data, count) == static_cast<long>(count);
}

bool BoardProtocol::ReadAck() {
    uint8_t reply = 0;
    return ReadByte(reply) && reply == kCR;
}

bool BoardProtocol::Send(std::initializer_list<uint8_t> bytes) {
    return WriteBlock(bytes.begin(), bytes.size());
}

bool BoardProtocol::SendAcked(std::initializer_list<uint8_t> bytes) {
    return Send(bytes) && ReadAck();
}

long BoardProtocol::ReadUpTo(uint8_t* data, size_t count) {
    const long got = port_->Read(data, count);
    replyMissing_ = count > 0 && got <= 0;
    return got;
}

void BoardProtocol::DropPending() {
    size_t waiting = port_->BytesWaiting();
    if (waiting == 0) {
        return;
    }
    std::vector<uint8_t> scratch(waiting);
    port_->Read(scratch.data(), scratch.size());
}

}  // namespace zentaro
