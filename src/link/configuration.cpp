// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_io.h"

namespace zentaro {

namespace {

constexpr unsigned kChipReplyPauseMs = 10;

}  // namespace

bool CLowIO::ReadConfigByte(uint8_t letter, uint8_t& value) {
    uint8_t reply = 0;
    if (!EnterProgMode() || !Send({letter}) || !ReadByte(reply)) {
        return false;
    }
    value = reply;
    return true;
}

bool CLowIO::WriteConfigByte(uint8_t letter, uint8_t value) {
    return EnterProgMode() && SendAcked({letter, value});
}

bool CLowIO::ReadFuseBits(uint8_t& value) {
    return ReadConfigByte('F', value);
}
bool CLowIO::ReadHighFuseBits(uint8_t& value) {
    return ReadConfigByte('N', value);
}
bool CLowIO::ReadExtendedFuseBits(uint8_t& value) {
    return ReadConfigByte('Q', value);
}
bool CLowIO::ReadLockBits(uint8_t& value) {
    return ReadConfigByte('r', value);
}

bool CLowIO::WriteFuseBits(uint8_t value) {
    return WriteConfigByte('f', value);
}
bool CLowIO::WriteHighFuseBits(uint8_t value) {
    return WriteConfigByte('n', value);
}
bool CLowIO::WriteExtendedFuseBits(uint8_t value) {
    return WriteConfigByte('q', value);
}
bool CLowIO::WriteLockBits(uint8_t value) {
    return WriteConfigByte('l', value);
}

bool CLowIO::ReadSignature(uint8_t& b0, uint8_t& b1, uint8_t& b2) {
    if (!EnterProgMode() || !Send({'s'})) {
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

bool CLowIO::ReadCalibrationByte(uint8_t& value) {
    if (!EnterProgMode() || !Send({'h'})) {
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

bool CLowIO::UniversalCommand(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    if (!EnterProgMode() || !Send({':', i1, i2, i3})) {
        return false;
    }
    uint8_t reply[2] = {};
    if (!ReadBlock(reply, 2) || reply[1] != kCR) {
        return false;
    }
    value = reply[0];
    return true;
}

bool CLowIO::UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    if (!EnterProgMode()) {
        return false;
    }
    const uint8_t toWrite = value;
    value = 0xFF;
    uint8_t reply[2] = {};
    const bool answered =
        Send({'.', i1, i2, i3, toWrite}) && ReadBlock(reply, 2) && reply[1] == kCR;
    // Programming mode is left whatever the target answered, so that a failed write never
    // leaves the board programming behind the user's back.
    if (!LeaveProgMode() || !answered) {
        return false;
    }
    value = reply[0];
    return true;
}

bool CLowIO::ReadSoftwareVersion(char& major, char& minor) {
    uint8_t reply[2] = {};
    if (!Send({'V'}) || !ReadBlock(reply, 2)) {
        return false;
    }
    major = static_cast<char>(reply[0]);
    minor = static_cast<char>(reply[1]);
    return true;
}

bool CLowIO::ReadProgrammerType(char& type) {
    uint8_t reply = 0;
    if (!Send({'p'}) || !ReadByte(reply)) {
        return false;
    }
    type = static_cast<char>(reply);
    return true;
}

}  // namespace zentaro
