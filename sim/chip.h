// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "catalogue/device_table.h"

namespace zentaro::sim {

// The configuration bytes of a target chip. A bit that is 0 is programmed.
struct ConfigBytes {
    uint8_t lock = 0xFF;
    uint8_t lowFuse = 0xE1;
    uint8_t highFuse = 0xD9;
    uint8_t extendedFuse = 0xFF;
};

// The target chip fitted to the simulated board: its memories and configuration bytes,
// with the geometry of one device-table row.
//
// Addressing: program memory is addressed in 16-bit words on word-wide chips (byte address
// = 2 * word address, low byte at the even address) and in bytes otherwise; EEPROM in bytes.
// Accesses outside a memory never fault: reads give 0xFF, writes are dropped.
//
// Programming follows the silicon: writing flash or the lock byte can only clear bits
// (new = old AND written); only ChipErase sets them again. Erase clears flash and the lock
// byte to 0xFF and keeps EEPROM and fuses. EEPROM and fuse writes replace the byte.
class Chip {
public:
    explicit Chip(const DeviceRecord& device);

    const DeviceRecord& Device() const { return device_; }
    bool WordWide() const { return device_.wordWideFlash != 0; }
    bool Paged() const { return device_.flashPageSize != 0; }

    // Program memory at a program address (words on word-wide chips).
    uint16_t ReadProgram(uint32_t address) const;
    // Word-wide: the low (highByte false) or high byte of the word; byte-wide: the byte.
    // On a paged chip the byte goes to the page buffer at its offset within the page.
    void WriteProgramByte(uint32_t address, bool highByte, uint8_t value);
    // Programs the page buffer into the page holding this program address, then blanks
    // the buffer. A chip without pages ignores it.
    void CommitPage(uint32_t address);

    uint8_t ReadFlashByte(uint32_t byteAddress) const;
    void ProgramFlashByte(uint32_t byteAddress, uint8_t value);
    uint8_t ReadEeprom(uint32_t address) const;
    void WriteEeprom(uint32_t address, uint8_t value);
    // The count bytes from this address on, as the byte reads give them: blanks past the end.
    std::vector<uint8_t> ReadFlashBytes(uint32_t byteAddress, uint32_t count) const;
    std::vector<uint8_t> ReadEepromBytes(uint32_t address, uint32_t count) const;

    void ChipErase();

    const ConfigBytes& Config() const { return config_; }
    void WriteLock(uint8_t value);
    void SetLowFuse(uint8_t value);
    void SetHighFuse(uint8_t value);
    void SetExtendedFuse(uint8_t value);
    // Preloading, e.g. from options or a saved state: replaces every byte as given.
    void SetConfig(const ConfigBytes& config);

    // Signature bytes 0, 1, 2 as the chip stores them.
    const std::array<uint8_t, 3>& Signature() const { return signature_; }
    uint8_t Calibration() const { return calibration_; }
    void SetCalibration(uint8_t value) { calibration_ = value; }

    const std::vector<uint8_t>& Flash() const { return flash_; }
    const std::vector<uint8_t>& Eeprom() const { return eeprom_; }
    // Preloading: copies as many bytes as fit, the rest of the memory is left as it was.
    void LoadFlash(std::span<const uint8_t> bytes);
    void LoadEeprom(std::span<const uint8_t> bytes);

    // True after any change since the last ClearChanged(); tells the owner to save.
    bool Changed() const { return changed_; }
    void ClearChanged() { changed_ = false; }

private:
    uint32_t ByteAddress(uint32_t programAddress, bool highByte) const;

    DeviceRecord device_;
    std::vector<uint8_t> flash_;
    std::vector<uint8_t> eeprom_;
    std::vector<uint8_t> pageBuffer_;
    ConfigBytes config_;
    std::array<uint8_t, 3> signature_{};
    uint8_t calibration_ = 0;
    bool changed_ = false;
    // The flash bytes that may differ from 0xFF, so that an erase (which boards get a lot
    // of, and fuzzing far more) touches only them and not the whole memory.
    uint32_t programmedFrom_ = UINT32_MAX;
    uint32_t programmedTo_ = 0;
};

}  // namespace zentaro::sim
