// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_io.h"

namespace zentaro {

bool CLowIO::ReadProgramWord(uint16_t address, uint16_t& word, bool noAddress) {
    return wire_.ReadProgramWord(address, word, noAddress,
                                 wordWide_ ? FlashWidth::Words : FlashWidth::Bytes);
}

bool CLowIO::WriteProgramWord(uint16_t address, uint16_t word, bool noAddress) {
    return wire_.WriteProgramWord(address, word, noAddress,
                                  wordWide_ ? FlashWidth::Words : FlashWidth::Bytes);
}

bool CLowIO::ReadFuseBits(uint8_t& value) {
    return EnterProgMode() && wire_.ReadFuseBits(value);
}

bool CLowIO::ReadHighFuseBits(uint8_t& value) {
    return EnterProgMode() && wire_.ReadHighFuseBits(value);
}

bool CLowIO::ReadExtendedFuseBits(uint8_t& value) {
    return EnterProgMode() && wire_.ReadExtendedFuseBits(value);
}

bool CLowIO::ReadLockBits(uint8_t& value) {
    return EnterProgMode() && wire_.ReadLockBits(value);
}

bool CLowIO::WriteFuseBits(uint8_t value) {
    return EnterProgMode() && wire_.WriteFuseBits(value);
}

bool CLowIO::WriteHighFuseBits(uint8_t value) {
    return EnterProgMode() && wire_.WriteHighFuseBits(value);
}

bool CLowIO::WriteExtendedFuseBits(uint8_t value) {
    return EnterProgMode() && wire_.WriteExtendedFuseBits(value);
}

bool CLowIO::WriteLockBits(uint8_t value) {
    return EnterProgMode() && wire_.WriteLockBits(value);
}

bool CLowIO::ReadSignature(uint8_t& b0, uint8_t& b1, uint8_t& b2) {
    return EnterProgMode() && wire_.ReadSignature(b0, b1, b2);
}

bool CLowIO::ReadCalibrationByte(uint8_t& value) {
    return EnterProgMode() && wire_.ReadCalibrationByte(value);
}

bool CLowIO::UniversalCommand(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    return EnterProgMode() && wire_.UniversalCommand(i1, i2, i3, value);
}

bool CLowIO::UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value) {
    if (!EnterProgMode()) {
        return false;
    }
    uint8_t answer = value;
    const bool answered = wire_.UniversalWrite(i1, i2, i3, answer);
    if (!LeaveProgMode() || !answered) {
        value = 0xFF;
        return false;
    }
    value = answer;
    return true;
}

}  // namespace zentaro
