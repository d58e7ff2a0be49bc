// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"
#include "common/clock.h"
#include "common/panel.h"
#include "link/port_trouble.h"
#include "link/serial_port.h"

namespace zentaro {

// The line rates board firmware runs at, in the order the scan tries them.
inline constexpr std::array<int, 3> kBoardBaudRates = {115200, 19200, 38400};

// The one object through which the program talks to the programmer board: the serial
// transport and the one-letter command set. Owned by one holder, never copied; closes its
// port when destroyed. Every command returns true on success.
class CLowIO {
public:
    static constexpr uint8_t kCR = 0x0D;
    static constexpr uint8_t kFlashMemory = 'F';
    static constexpr uint8_t kEepromMemory = 'E';
    static constexpr int kLampFailed = 1011;
    static constexpr int kLampDone = 1012;
    static constexpr int kLampBusy = 1013;
    static constexpr size_t kListBufferSize = 20;
    using ListBuffer = std::array<uint8_t, kListBufferSize>;

    CLowIO(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock);
    ~CLowIO();
    CLowIO(const CLowIO&) = delete;
    CLowIO& operator=(const CLowIO&) = delete;

    // Raw transport.
    [[nodiscard]] bool ReadByte(uint8_t& b);
    [[nodiscard]] bool SendString(const std::string& text, bool waitForCR);
    size_t RxQueueCount();
    void PurgeReceiveBuffer();
    [[nodiscard]] bool WriteBlock(const uint8_t* data, size_t count);
    [[nodiscard]] bool ReadBlock(uint8_t* data, size_t count);

    // Discovery and control.
    [[nodiscard]] bool OpenAndScan();
    // The scan's identification on one port only (a COM name or a device path): at the scan's
    // rates in the scan's order, or only at baudRate when given (one of kBoardBaudRates; any
    // other rate finds nothing).
    [[nodiscard]] bool OpenPort(const std::string& name,
                                std::optional<int> baudRate = std::nullopt);
    [[nodiscard]] bool Identify();
    [[nodiscard]] bool IdentifyUpgradeMode();
    [[nodiscard]] bool QueryAutoIncrement();
    [[nodiscard]] bool QueryBlockSize();
    [[nodiscard]] bool ReadSupportedDevices(ListBuffer& buffer);
    [[nodiscard]] bool ReadProgrammerModes(ListBuffer& buffer);
    [[nodiscard]] uint8_t ReadProgrammerLevel();
    [[nodiscard]] bool SetProgrammerMode(uint8_t mode);
    [[nodiscard]] bool EnterProgMode();
    [[nodiscard]] bool LeaveProgMode();
    [[nodiscard]] bool ExitProgramming();
    // The per-chip rules follow the record's device code; the record is sent as given.
    [[nodiscard]] bool SelectDevice(DeviceRecord record, uint8_t level);
    [[nodiscard]] bool SelectDevice(const DeviceProfile& profile, uint8_t level);
    [[nodiscard]] bool ChipErase();
    [[nodiscard]] bool SetStatusLamp(int id);

    // Memory access. noAddress: use the board's own address counter instead of sending 'A'.
    [[nodiscard]] bool SetAddress(uint16_t address);
    [[nodiscard]] bool ReadProgramWord(uint16_t address, uint16_t& word, bool noAddress);
    [[nodiscard]] bool WriteProgramWord(uint16_t address, uint16_t word, bool noAddress);
    [[nodiscard]] bool WritePage(uint16_t address);
    [[nodiscard]] bool ReadEepromByte(uint16_t address, uint8_t& value, bool noAddress);
    [[nodiscard]] bool WriteEepromByte(uint16_t address, uint8_t value, bool noAddress);
    [[nodiscard]] bool BlockWrite(uint16_t count, const uint8_t* data, uint8_t memoryType);
    [[nodiscard]] bool BlockRead(uint8_t* buffer, uint16_t count, uint8_t memoryType);

    // Configuration.
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
    [[nodiscard]] bool UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value);
    [[nodiscard]] bool ReadSoftwareVersion(char& major, char& minor);
    [[nodiscard]] bool ReadProgrammerType(char& type);

    // State the commands keep.
    [[nodiscard]] bool IsOpen() const;
    // Where the scan found the board.
    const std::string& PortName() const { return portName_; }
    // What the last scan found behind each port name it tried, in the order first tried.
    const std::vector<PortAttempt>& ScanReport() const { return scanReport_; }
    int BaudRate() const { return baudRate_; }
    const std::string& SoftwareIdentifier() const { return softwareIdentifier_; }
    uint32_t DeviceCode() const { return profile_.record.deviceCode; }
    // The rules of the device last selected; none before the first selection.
    const DeviceProfile& Profile() const { return profile_; }
    [[nodiscard]] bool WordWide() const { return wordWide_; }
    uint32_t FlashSize() const { return flashSize_; }
    uint32_t EepromSize() const { return eepromSize_; }
    [[nodiscard]] bool InProgMode() const { return inProgMode_; }
    [[nodiscard]] bool AutoIncrement() const { return autoIncrement_; }
    uint32_t BlockSize() const { return blockSize_; }
    Panel& panel() { return panel_; }
    Clock& clock() { return clock_; }

    // How long BlockWrite waits for the board to acknowledge a block before giving up.
    static constexpr int kBlockAckTimeoutMs = 10000;

private:
    struct ScanStep {
        std::string port;
        int baudRate;
        bool upgradeMode;
    };
    // Opens each step's port in turn until one identifies; it stays open.
    [[nodiscard]] bool RunScan(const std::vector<ScanStep>& steps);
    void Remember(PortAttempt attempt);
    // Reads one byte and requires CR.
    [[nodiscard]] bool ReadAck();
    // Writes the whole command in one write; true when every byte went out.
    [[nodiscard]] bool Send(std::initializer_list<uint8_t> bytes);
    // Send, then ReadAck.
    [[nodiscard]] bool SendAcked(std::initializer_list<uint8_t> bytes);
    // Reads up to count bytes within the port's time-outs; the count that arrived, -1 on failure.
    // Every reply is read through here, which keeps replyMissing_ up to date.
    long ReadUpTo(uint8_t* data, size_t count);
    // Reads and discards whatever is already waiting in the receive queue.
    void DropPending();
    // Reads the 7-character identifier and accepts it when it starts with "MZR".
    [[nodiscard]] bool AcceptIdentifier();
    [[nodiscard]] bool ReadList(uint8_t letter, ListBuffer& buffer);
    [[nodiscard]] bool ReadConfigByte(uint8_t letter, uint8_t& value);
    [[nodiscard]] bool WriteConfigByte(uint8_t letter, uint8_t value);

    std::unique_ptr<SerialPort> port_;
    Panel& panel_;
    Clock& clock_;
    std::string softwareIdentifier_;
    std::string portName_;
    int baudRate_ = 0;
    std::vector<PortAttempt> scanReport_;
    DeviceProfile profile_{};
    bool wordWide_ = true;
    uint32_t flashSize_ = 0;
    uint32_t eepromSize_ = 0;
    bool inProgMode_ = false;
    bool autoIncrement_ = false;
    uint32_t blockSize_ = 0;
    // The last reply read brought no byte at all: the board let the full time-out pass.
    bool replyMissing_ = false;
};

}  // namespace zentaro
