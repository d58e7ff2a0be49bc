// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>

#include "catalogue/device_table.h"
#include "common/clock.h"
#include "link/serial_port.h"

namespace zentaro {

// How the board answered the command that starts programming mode.
enum class ProgModeReply { None, Refused, Entered };
// How the board answered the command that ends its programming session.
enum class ExitReply { None, Unsupported, Done };
// The board's three status lamps, by the number the 'x' command takes.
enum class StatusLamp : uint8_t { Failed = 0, Done = 1, Busy = 2 };
// How many bytes one flash read returns: one on byte-wide devices, two (high first) otherwise.
enum class FlashWidth { Bytes, Words };

// The board's one-letter command set over the serial port: one method per command, its bytes
// out and its reply in. It keeps nothing beyond the port, so every method does exactly what
// its name says whatever came before; the rules of when to send what live in CLowIO. Every
// method returns true when the board answered as it should.
class BoardProtocol {
public:
    static constexpr uint8_t kCR = 0x0D;
    static constexpr uint8_t kEscape = 0x1B;
    static constexpr uint8_t kFlashMemory = 'F';
    static constexpr uint8_t kEepromMemory = 'E';
    static constexpr size_t kListBufferSize = 20;
    using ListBuffer = std::array<uint8_t, kListBufferSize>;
    // How long BlockWrite waits for the board to acknowledge a block before giving up.
    static constexpr int kBlockAckTimeoutMs = 10000;

    BoardProtocol(std::unique_ptr<SerialPort> port, Clock& clock);
    ~BoardProtocol();
    BoardProtocol(const BoardProtocol&) = delete;
    BoardProtocol& operator=(const BoardProtocol&) = delete;

    SerialPort& port() { return *port_; }
    const SerialPort& port() const { return *port_; }
    Clock& clock() { return clock_; }

    // Raw transport.
    [[nodiscard]] bool ReadByte(uint8_t& b);
    [[nodiscard]] bool SendString(const std::string& text, bool waitForCR);
    size_t RxQueueCount();
    void PurgeReceiveBuffer();
    [[nodiscard]] bool WriteBlock(const uint8_t* data, size_t count);
    [[nodiscard]] bool ReadBlock(uint8_t* data, size_t count);

    // The board itself.
    // Four escapes that wake a board waiting for its first command; there is no answer.
    void Wake();
    // The 7-character identifier, accepted when it starts with "MZR".
    [[nodiscard]] bool Identify(std::string& identifier);
    [[nodiscard]] bool IdentifyUpgradeMode(std::string& identifier);
    [[nodiscard]] bool QueryAutoIncrement();
    // size is 0 when the board takes no blocks.
    [[nodiscard]] bool QueryBlockSize(uint32_t& size);
    [[nodiscard]] bool ReadSupportedDevices(ListBuffer& buffer);
    [[nodiscard]] bool ReadProgrammerModes(ListBuffer& buffer);
    [[nodiscard]] uint8_t ReadProgrammerLevel();
    [[nodiscard]] bool SetProgrammerMode(uint8_t mode);
    // Every lamp off, then lamp on when there is one.
    [[nodiscard]] bool SetStatusLamp(std::optional<StatusLamp> lamp);
    [[nodiscard]] bool ReadSoftwareVersion(char& major, char& minor);
    [[nodiscard]] bool ReadProgrammerType(char& type);

    // The target chip's programming session.
    [[nodiscard]] ProgModeReply EnterProgMode();
    [[nodiscard]] bool LeaveProgMode();
    [[nodiscard]] ExitReply ExitProgramming();
    // The record is sent as given, in the form the programmer level asks for.
    [[nodiscard]] bool SelectDevice(const DeviceRecord& record, uint8_t level);
    [[nodiscard]] bool ChipErase();

    // Memory. noAddress: use the board's own address counter instead of sending 'A'.
    [[nodiscard]] bool SetAddress(uint16_t address);
    [[nodiscard]] bool ReadProgramWord(uint16_t address, uint16_t& word, bool noAddress,
                                       FlashWidth width);
    [[nodiscard]] bool WriteProgramWord(uint16_t address, uint16_t word, bool noAddress,
                                        FlashWidth width);
    [[nodiscard]] bool WritePage(uint16_t address);
    [[nodiscard]] bool ReadEepromByte(uint16_t address, uint8_t& value, bool noAddress);
    [[nodiscard]] bool WriteEepromByte(uint16_t address, uint8_t value, bool noAddress);
    [[nodiscard]] bool BlockWrite(uint16_t count, const uint8_t* data, uint8_t memoryType);
    [[nodiscard]] bool BlockRead(uint8_t* buffer, uint16_t count, uint8_t memoryType);

    // Lock, fuse, signature and calibration bytes, and the target's own instructions.
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
    // value goes out as the instruction's fourth byte and comes back as the target's answer.
    [[nodiscard]] bool UniversalWrite(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t& value);

private:
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
    // Pauses for the board's answer, then reads the identifier when a whole one is waiting.
    [[nodiscard]] bool AwaitIdentifier(std::string& identifier);
    [[nodiscard]] bool ReadList(uint8_t letter, ListBuffer& buffer);
    [[nodiscard]] bool ReadConfigByte(uint8_t letter, uint8_t& value);

    std::unique_ptr<SerialPort> port_;
    Clock& clock_;
    // The last reply read brought no byte at all: the board let the full time-out pass.
    bool replyMissing_ = false;
};

}  // namespace zentaro
