// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/board_protocol.h"

namespace zentaro {

namespace {

constexpr unsigned kChipReplyPauseMs = 10;

}  // namespace

bool BoardProtocol::ReadConfigByte(uint8_t letter, uint8_t& value) {
    uint8_t reply = 0;
    if (!Send({letter}) || !ReadByte(reply)) {
        return false;
    }
    value = reply;
    return true;
}

bool BoardProtocol::ReadFuseBits(uint8_t& value) {
    return ReadConfigByte('F', value);
}
bool BoardProtocol::ReadHighFuseBits(uint8_t& value) {
    return ReadConfigByte('N', value);
}
bool BoardProtocol::ReadExtendedFuseBits(uint8_t& value) {
    return ReadConfigByte('Q', value);
}
bool BoardProtocol::ReadLockBits(uint8_t& value) {
    return ReadConfigByte('r', value);
}

bool BoardProtocol::WriteFuseBits(uint8_t value) {
    return SendAcked({'f', value});
}
bool BoardProtocol::WriteHighFuseBits(uint8_t value) {
    return SendAcked({'n', value});
}
bool BoardProtocol::WriteExtendedFuseBits(uint8_t value) {
    return SendAcked({'q', value});
}
bool BoardProtocol::WriteLockBits(uint8_t value) {
    return SendAcked({'l', value});
}

bool BoardProtocol::ReadSignature(uint8_t& b0, uint8_t& b1, uint8_t& b2) {
    if (!Send({'s'})) {
        return false;
    }
    clock_.SleepMs(kChipReplyPauseMs);
    uint8_t reply[3] = {};
    if (!ReadBlock(reply, 3)) {
        return false;
    }
    b0 = reply[0];
    b1 = reply[1];
    b2 = reply[2];
    return true;
}

bool BoardProtocol::ReadCalibrationByte(uint8_t& value) {
    if (!Send({'h'})) {
        return false;
    }
    clock_.SleepMs(kChipReplyPauseMs);
    uint8_t reply[3] = {};
    if (ReadUpTo(reply, 3) < 2 || reply[1] != kCR) {
        return false;
    }
    value = reply[0];
    return true;
}

bool BoardProtocol::UniversalCommand(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    if (!Send({':', i1, i2, i3})) {
        return false;
    }
    uint8_t reply[2] = {};
    if (!ReadBlock(reply, 2) || reply[1] != kCR) {
        return false;
    }
    value = reply[0];
    return true;
}

bool BoardProtocol::UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    const uint8_t toWrite = value;
    value = 0xFF;
    uint8_t reply[2] = {};
    if (!Send({'.', i1, i2, i3, toWrite}) || !ReadBlock(reply, 2) || reply[1] != kCR) {
        return false;
    }
    value = reply[0];
    return true;
}

}  // namespace zentaro
