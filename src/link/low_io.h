// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"
#include "common/clock.h"
#include "link/board_protocol.h"
#include "link/link_events.h"
#include "link/port_trouble.h"
#include "link/serial_port.h"

namespace zentaro {

// The line rates board firmware runs at, in the order the scan tries them.
inline constexpr std::array<int, 3> kBoardBaudRates = {115200, 19200, 38400};

// The link to one programmer board: which board the scan found, which device it was told, and
// whether the target is in programming mode. It sends through its protocol (wire()), and
// itself offers the commands whose bytes depend on that state: the ones that need programming
// mode, the flash words whose width the device sets, and the erase that some devices finish
// by leaving programming mode. Owned by one holder, never copied; closes its port when
// destroyed. Every command returns true on success.
class CLowIO {
public:
    // onEvent hears what the user is to be told while a command runs (see LinkEvent).
    CLowIO(std::unique_ptr<SerialPort> port, Clock& clock, LinkEventSink onEvent = {});

    BoardProtocol& wire() { return wire_; }
    Clock& clock() { return wire_.clock(); }

    // Discovery: opens the first port where a board identifies itself; it stays open.
    [[nodiscard]] bool OpenAndScan();
    // The scan's identification on one port only (a COM name or a device path): at the scan's
    // rates in the scan's order, or only at baudRate when given (one of kBoardBaudRates; any
    // other rate finds nothing).
    [[nodiscard]] bool OpenPort(const std::string& name,
                                std::optional<int> baudRate = std::nullopt);
    // Asks the board on the open port who it is again, as a running board or in upgrade mode.
    [[nodiscard]] bool Identify();
    [[nodiscard]] bool IdentifyUpgradeMode();
    [[nodiscard]] bool IsOpen() const;
    // Where the scan found the board.
    const std::string& PortName() const { return portName_; }
    // What the last scan found behind each port name it tried, in the order first tried.
    const std::vector<PortAttempt>& ScanReport() const { return scanReport_; }
    int BaudRate() const { return baudRate_; }
    const std::string& SoftwareIdentifier() const { return softwareIdentifier_; }
    [[nodiscard]] bool AutoIncrement() const { return autoIncrement_; }

    // The board's block transfers.
    [[nodiscard]] bool QueryBlockSize();
    // The block size the board last gave; 0 when it takes no blocks.
    uint32_t BlockSize() const { return blockSize_; }

    // The device. The per-chip rules follow the record's device code; the record is sent as
    // given.
    [[nodiscard]] bool SelectDevice(DeviceRecord record, uint8_t level);
    [[nodiscard]] bool SelectDevice(const DeviceProfile& profile, uint8_t level);
    // The rules of the device last selected; none before the first selection.
    const DeviceProfile& Profile() const { return profile_; }
    uint32_t DeviceCode() const { return profile_.record.deviceCode; }
    [[nodiscard]] bool WordWide() const { return wordWide_; }
    uint32_t FlashSize() const { return flashSize_; }
    uint32_t EepromSize() const { return eepromSize_; }

    // Programming mode. Entering is a no-op while in it; leaving forgets it whatever the
    // board answers.
    [[nodiscard]] bool EnterProgMode();
    [[nodiscard]] bool LeaveProgMode();
    [[nodiscard]] bool ExitProgramming();
    [[nodiscard]] bool InProgMode() const { return inProgMode_; }
    [[nodiscard]] bool ChipErase();

    // Flash words as wide as the selected device's.
    [[nodiscard]] bool ReadProgramWord(uint16_t address, uint16_t& word, bool noAddress);
    [[nodiscard]] bool WriteProgramWord(uint16_t address, uint16_t word, bool noAddress);

    // The target's configuration, in programming mode.
    [[nodiscard]] bool ReadFuseBits(uint8_t& value);
    [[nodiscard]] bool ReadHighFuseBits(uint8_t& value);
    [[nodiscard]] bool ReadExtendedFuseBits(uint8_t& value);
    [[nodiscard]] bool ReadLockBits(uint8_t& value);
    [[nodiscard]] bool WriteFuseBits(uint8_t value);
    [[nodiscard]] bool WriteHighFuseBits(uint8_t value);
    [[nodiscard]] bool WriteExtendedFuseBits(uint8_t value);
    [[nodiscard]] bool WriteLockBits(uint8_t value);
    [[nodiscard]] bool ReadSignature(uint8_t& b0, uint8_t& b1, uint8_t& b2);
    [[nodiscard]] bool ReadCalibrationByte(uint8_t& value);
    [[nodiscard]] bool UniversalCommand(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value);
    // Leaves programming mode afterwards, whatever the target answered, so that a failed write
    // never leaves the board programming behind the user's back. value is 0xFF on failure.
    [[nodiscard]] bool UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value);

private:
    struct ScanStep {
        std::string port;
        int baudRate;
        bool upgradeMode;
    };
    // Opens each step's port in turn until one identifies; it stays open.
    [[nodiscard]] bool RunScan(const std::vector<ScanStep>& steps);
    void Remember(PortAttempt attempt);
    void Tell(LinkEvent event);

    BoardProtocol wire_;
    LinkEventSink onEvent_;
    std::string softwareIdentifier_;
    std::string portName_;
    int baudRate_ = 0;
    std::vector<PortAttempt> scanReport_;
    bool autoIncrement_ = false;
    uint32_t blockSize_ = 0;
    DeviceProfile profile_{};
    bool wordWide_ = true;
    uint32_t flashSize_ = 0;
    uint32_t eepromSize_ = 0;
    bool inProgMode_ = false;
};

}  // namespace zentaro
