// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/chip.h"

#include <algorithm>
#include <bit>

namespace zentaro::sim {

namespace {

constexpr uint8_t kSignatureMaker = 0x5A;

// A block may ask for 64 KiB, so its bytes are copied at once rather than read one by one.
std::vector<uint8_t> ReadSpan(const std::vector<uint8_t>& memory, uint32_t start, uint32_t count) {
    std::vector<uint8_t> data(count, 0xFF);
    if (start < memory.size()) {
        const size_t inside = std::min<size_t>(count, memory.size() - start);
        std::copy_n(memory.begin() + start, inside, data.begin());
    }
    return data;
}

}  // namespace

Chip::Chip(const DeviceRecord& device)
    : device_(device),
      flash_(device.flashSize, 0xFF),
      eeprom_(device.eepromSize, 0xFF),
      pageBuffer_(device.flashPageSize, 0xFF) {
    // A made-up but stable signature: maker byte, size class, device code.
    signature_ = {kSignatureMaker,
                  static_cast<uint8_t>(std::bit_width(std::max<uint32_t>(device.flashSize, 1)) - 1),
                  static_cast<uint8_t>(device.deviceCode)};
    calibration_ = static_cast<uint8_t>(0x80 | (device.deviceCode & 0x3F));
}

uint32_t Chip::ByteAddress(uint32_t programAddress, bool highByte) const {
    return WordWide() ? programAddress * 2 + (highByte ? 1 : 0) : programAddress;
}

uint16_t Chip::ReadProgram(uint32_t address) const {
    if (!WordWide()) {
        return ReadFlashByte(address);
    }
    return static_cast<uint16_t>(ReadFlashByte(ByteAddress(address, true)) << 8 |
                                 ReadFlashByte(ByteAddress(address, false)));
}

void Chip::WriteProgramByte(uint32_t address, bool highByte, uint8_t value) {
    const uint32_t byteAddress = ByteAddress(address, highByte && WordWide());
    if (Paged()) {
        pageBuffer_[byteAddress % pageBuffer_.size()] = value;
    } else {
        ProgramFlashByte(byteAddress, value);
    }
}

void Chip::CommitPage(uint32_t address) {
    if (!Paged()) {
        return;
    }
    const uint32_t pageSize = static_cast<uint32_t>(pageBuffer_.size());
    const uint32_t base = ByteAddress(address, false) / pageSize * pageSize;
    for (uint32_t i = 0; i < pageSize; ++i) {
        ProgramFlashByte(base + i, pageBuffer_[i]);
    }
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
}

uint8_t Chip::ReadFlashByte(uint32_t byteAddress) const {
    return byteAddress < flash_.size() ? flash_[byteAddress] : 0xFF;
}

void Chip::ProgramFlashByte(uint32_t byteAddress, uint8_t value) {
    if (byteAddress >= flash_.size()) {
        return;
    }
    const uint8_t programmed = flash_[byteAddress] & value;
    if (programmed != flash_[byteAddress]) {
        changed_ = true;
        programmedFrom_ = std::min(programmedFrom_, byteAddress);
        programmedTo_ = std::max(programmedTo_, byteAddress + 1);
    }
    flash_[byteAddress] = programmed;
}

uint8_t Chip::ReadEeprom(uint32_t address) const {
    return address < eeprom_.size() ? eeprom_[address] : 0xFF;
}

std::vector<uint8_t> Chip::ReadFlashBytes(uint32_t byteAddress, uint32_t count) const {
    return ReadSpan(flash_, byteAddress, count);
}

std::vector<uint8_t> Chip::ReadEepromBytes(uint32_t address, uint32_t count) const {
    return ReadSpan(eeprom_, address, count);
}

void Chip::WriteEeprom(uint32_t address, uint8_t value) {
    if (address >= eeprom_.size()) {
        return;
    }
    changed_ = changed_ || eeprom_[address] != value;
    eeprom_[address] = value;
}

void Chip::ChipErase() {
    if (programmedFrom_ < programmedTo_) {
        std::fill(flash_.begin() + static_cast<long>(programmedFrom_),
                  flash_.begin() + static_cast<long>(programmedTo_), 0xFF);
    }
    programmedFrom_ = UINT32_MAX;
    programmedTo_ = 0;
    std::fill(pageBuffer_.begin(), pageBuffer_.end(), 0xFF);
    config_.lock = 0xFF;
    changed_ = true;
}

void Chip::WriteLock(uint8_t value) {
    config_.lock &= value;
    changed_ = true;
}

void Chip::SetLowFuse(uint8_t value) {
    config_.lowFuse = value;
    changed_ = true;
}

void Chip::SetHighFuse(uint8_t value) {
    config_.highFuse = value;
    changed_ = true;
}

void Chip::SetExtendedFuse(uint8_t value) {
    config_.extendedFuse = value;
    changed_ = true;
}

void Chip::SetConfig(const ConfigBytes& config) {
    config_ = config;
    changed_ = true;
}

void Chip::LoadFlash(std::span<const uint8_t> bytes) {
    const size_t loaded = std::min(bytes.size(), flash_.size());
    std::copy_n(bytes.begin(), loaded, flash_.begin());
    if (loaded > 0) {
        programmedFrom_ = 0;
        programmedTo_ = std::max(programmedTo_, static_cast<uint32_t>(loaded));
    }
    changed_ = true;
}

void Chip::LoadEeprom(std::span<const uint8_t> bytes) {
    std::copy_n(bytes.begin(), std::min(bytes.size(), eeprom_.size()), eeprom_.begin());
    changed_ = true;
}

}  // namespace zentaro::sim
