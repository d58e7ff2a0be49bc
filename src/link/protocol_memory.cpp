// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/board_protocol.h"

namespace zentaro {

namespace {

uint8_t High(uint16_t value) {
    return static_cast<uint8_t>(value >> 8);
}
uint8_t Low(uint16_t value) {
    return static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

bool BoardProtocol::SetAddress(uint16_t address) {
    return SendAcked({'A', High(address), Low(address)});
}

bool BoardProtocol::ReadProgramWord(uint16_t address, uint16_t& word, bool noAddress,
                                    FlashWidth width) {
    if ((!noAddress && !SetAddress(address)) || !Send({'R'})) {
        return false;
    }
    uint8_t reply[2] = {};
    if (width == FlashWidth::Bytes) {
        if (!ReadBlock(reply, 1)) {
            return false;
        }
        word = reply[0];
        return true;
    }
    if (!ReadBlock(reply, 2)) {
        return false;
    }
    word = static_cast<uint16_t>(reply[0] << 8 | reply[1]);
    return true;
}

bool BoardProtocol::WriteProgramWord(uint16_t address, uint16_t word, bool noAddress,
                                     FlashWidth width) {
    if ((!noAddress && !SetAddress(address)) || !SendAcked({'c', Low(word)})) {
        return false;
    }
    return width == FlashWidth::Bytes || SendAcked({'C', High(word)});
}

bool BoardProtocol::WritePage(uint16_t address) {
    return SetAddress(address) && SendAcked({'m'});
}

bool BoardProtocol::ReadEepromByte(uint16_t address, uint8_t& value, bool noAddress) {
    if ((!noAddress && !SetAddress(address)) || !Send({'d'})) {
        return false;
    }
    uint8_t reply = 0;
    if (!ReadByte(reply)) {
        return false;
    }
    value = reply;
    return true;
}

bool BoardProtocol::WriteEepromByte(uint16_t address, uint8_t value, bool noAddress) {
    return (noAddress || SetAddress(address)) && SendAcked({'D', value});
}

bool BoardProtocol::BlockWrite(uint16_t count, const uint8_t* data, uint8_t memoryType) {
    if (!Send({'B', High(count), Low(count), memoryType}) || !WriteBlock(data, count)) {
        return false;
    }
    // The board acknowledges only after the target has stored the block, which for a large
    // page can take far longer than the port's read time-out.
    return port_->WaitForData(kBlockAckTimeoutMs) && ReadAck();
}

bool BoardProtocol::BlockRead(uint8_t* buffer, uint16_t count, uint8_t memoryType) {
    return Send({'g', High(count), Low(count), memoryType}) && ReadBlock(buffer, count);
}

}  // namespace zentaro
