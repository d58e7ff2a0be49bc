// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <vector>

#include "link/board_protocol.h"

namespace zentaro {

namespace {

constexpr unsigned kErasePauseMs = 100;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

// The device record in the form each programmer level reads: level 0 takes the device code
// alone, higher levels the whole record, and from level 2 on with the EEPROM page as well.
std::vector<uint8_t> SelectBlock(const DeviceRecord& record, uint8_t level) {
    constexpr uint8_t kEscape = BoardProtocol::kEscape;
    std::vector<uint8_t> block{kEscape, kEscape, kEscape, 'T'};
    const auto code = static_cast<uint8_t>(record.deviceCode);
    if (level == 0) {
        block.push_back(code);
        return block;
    }
    if (level >= 2) {
        block.push_back(0x00);
        block.push_back(std::min<uint8_t>(level, 5));
    }
    block.push_back(code);
    block.insert(block.end(), record.programmerFlags.begin(), record.programmerFlags.begin() + 3);
    PutBigEndian(block, record.flashPageSize, 2);
    PutBigEndian(block, record.programmerParams, 4);
    block.push_back(record.pageWords);
    block.push_back(record.targetParam);
    PutBigEndian(block, record.flashSize, 4);
    PutBigEndian(block, record.eepromSize, 2);
    if (level >= 2) {
        PutBigEndian(block, record.eepromPageSize, 2);
        block.push_back(0x00);
        if (level >= 5) {
            block.push_back(record.extFlags[1]);
        }
    }
    return block;
}

}  // namespace

ProgModeReply BoardProtocol::EnterProgMode() {
    uint8_t reply = 0;
    if (!Send({'P'}) || !ReadByte(reply)) {
        return ProgModeReply::None;
    }
    return reply == kCR ? ProgModeReply::Entered : ProgModeReply::Refused;
}

bool BoardProtocol::LeaveProgMode() {
    return SendAcked({'L'});
}

ExitReply BoardProtocol::ExitProgramming() {
    uint8_t reply = 0;
    if (!Send({'E'}) || !ReadByte(reply)) {
        return ExitReply::None;
    }
    return reply == kCR ? ExitReply::Done : ExitReply::Unsupported;
}

bool BoardProtocol::SelectDevice(const DeviceRecord& record, uint8_t level) {
    const std::vector<uint8_t> block = SelectBlock(record, level);
    return WriteBlock(block.data(), block.size()) && ReadAck();
}

bool BoardProtocol::ChipErase() {
    uint8_t reply = 0;
    if (!Send({'e'}) || !ReadByte(reply)) {
        return false;
    }
    clock_.SleepMs(kErasePauseMs);
    return reply == kCR;
}

}  // namespace zentaro
