// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstring>
#include <vector>

#include "link/low_io.h"

namespace zentaro {

namespace {

constexpr uint8_t kEscape = 0x1B;
constexpr size_t kIdentifierLength = 7;
constexpr unsigned kIdentifyPauseMs = 50;
constexpr unsigned kListPauseMs = 400;
constexpr unsigned kErasePauseMs = 100;

struct ScanRound {
    int baudRate;
    bool upgradeMode;
};
// Every rate as a running board, then the two lower ones again as a board in upgrade mode.
constexpr ScanRound kScanRounds[] = {{kBoardBaudRates[0], false},
                                     {kBoardBaudRates[1], false},
                                     {kBoardBaudRates[2], false},
                                     {kBoardBaudRates[1], true},
                                     {kBoardBaudRates[2], true}};
constexpr int kScannedPorts = 4;

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value, int bytes) {
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8) {
        out.push_back(static_cast<uint8_t>(value >> shift));
    }
}

std::vector<uint8_t> SelectBlock(const DeviceRecord& record, uint8_t level) {
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

bool CLowIO::OpenAndScan() {
    std::vector<ScanStep> steps;
    for (const ScanRound& round : kScanRounds) {
        for (int n = 1; n <= kScannedPorts; ++n) {
            steps.push_back({"COM" + std::to_string(n), round.baudRate, round.upgradeMode});
        }
    }
    return RunScan(steps);
}

bool CLowIO::OpenPort(const std::string& name, std::optional<int> baudRate) {
    std::vector<ScanStep> steps;
    for (const ScanRound& round : kScanRounds) {
        if (!baudRate || *baudRate == round.baudRate) {
            steps.push_back({name, round.baudRate, round.upgradeMode});
        }
    }
    return RunScan(steps);
}

bool CLowIO::RunScan(const std::vector<ScanStep>& steps) {
    inProgMode_ = false;
    if (port_->IsOpen()) {
        port_->Close();
    }
    scanReport_.clear();
    for (const ScanStep& step : steps) {
        const bool opened = port_->Open(step.port, step.baudRate);
        Remember(PortAttempt{.port = step.port,
                             .opened = opened,
                             .trouble = opened ? OpenTrouble{} : port_->LastOpenTrouble()});
        if (!opened) {
            continue;
        }
        // The wake-up probe has no answer to check.
        static_cast<void>(SendString(std::string(4, static_cast<char>(kEscape)), false));
        if (step.upgradeMode ? IdentifyUpgradeMode() : Identify()) {
            portName_ = step.port;
            baudRate_ = step.baudRate;
            autoIncrement_ = QueryAutoIncrement();
            return true;
        }
        port_->Close();
    }
    return false;
}

void CLowIO::Remember(PortAttempt attempt) {
    for (PortAttempt& known : scanReport_) {
        if (known.port == attempt.port) {
            // A port opened at some step tells more than a later failure at another rate.
            if (!known.opened) {
                known = std::move(attempt);
            }
            return;
        }
    }
    scanReport_.push_back(std::move(attempt));
}

bool CLowIO::AcceptIdentifier() {
    std::string identifier(kIdentifierLength, '\0');
    if (!ReadBlock(reinterpret_cast<uint8_t*>(identifier.data()), identifier.size()) ||
        !identifier.starts_with("MZR")) {
        return false;
    }
    softwareIdentifier_ = identifier;
    return true;
}

bool CLowIO::Identify() {
    if (!Send({'S'})) {
        return false;
    }
    clock_.SleepMs(kIdentifyPauseMs);
    return RxQueueCount() >= kIdentifierLength && AcceptIdentifier();
}

bool CLowIO::IdentifyUpgradeMode() {
    if (!SendString("\x1b\x1b[MZR-Tools-upgr]", false)) {
        return false;
    }
    if (RxQueueCount() > 0) {
        PurgeReceiveBuffer();
    }
    if (!Send({kEscape})) {
        return false;
    }
    clock_.SleepMs(kIdentifyPauseMs);
    return RxQueueCount() >= kIdentifierLength && AcceptIdentifier();
}

bool CLowIO::QueryAutoIncrement() {
    uint8_t reply = 0;
    return Send({'a'}) && ReadByte(reply) && reply == 'Y';
}

bool CLowIO::QueryBlockSize() {
    if (!Send({'b'})) {
        return false;
    }
    clock_.SleepMs(kListPauseMs);
    uint8_t reply[3] = {};
    const long got = ReadUpTo(reply, sizeof reply);
    DropPending();
    if (got <= 0) {
        return false;
    }
    if (reply[0] != 'Y' || (got >= 2 && reply[1] == 0xFF)) {
        blockSize_ = 0;
        return true;
    }
    if (got < 3) {
        return false;
    }
    blockSize_ = reply[1] * 256u + reply[2];
    return true;
}

bool CLowIO::ReadList(uint8_t letter, ListBuffer& buffer) {
    if (!Send({letter})) {
        return false;
    }
    clock_.SleepMs(kListPauseMs);
    ListBuffer received{};
    long got = ReadUpTo(received.data(), received.size());
    if (got < 0) {
        return false;
    }
    auto filled = static_cast<size_t>(got);
    // A board that pauses inside a long list leaves the rest queued behind the first read.
    const size_t waiting = std::min(RxQueueCount(), received.size() - filled);
    if (waiting > 0) {
        got = ReadUpTo(received.data() + filled, waiting);
        if (got < 0) {
            return false;
        }
    }
    DropPending();
    buffer = received;
    return true;
}

bool CLowIO::ReadSupportedDevices(ListBuffer& buffer) {
    return ReadList('t', buffer);
}

bool CLowIO::ReadProgrammerModes(ListBuffer& buffer) {
    return ReadList('O', buffer);
}

uint8_t CLowIO::ReadProgrammerLevel() {
    uint8_t level = 0;
    if (!Send({'K'}) || !ReadByte(level)) {
        return 0;
    }
    return level;
}

bool CLowIO::SetProgrammerMode(uint8_t mode) {
    return SendAcked({'o', mode});
}

bool CLowIO::EnterProgMode() {
    if (inProgMode_) {
        return true;
    }
    if (RxQueueCount() > 0) {
        panel_.Notice("Flushing");
        PurgeReceiveBuffer();
    }
    uint8_t reply = 0;
    if (!Send({'P'}) || !ReadByte(reply)) {
        return false;
    }
    if (reply != kCR) {
        panel_.Notice("Can't enter programming mode!");
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(LeaveProgMode());
        return false;
    }
    inProgMode_ = true;
    return true;
}

bool CLowIO::LeaveProgMode() {
    // Cleared even without an acknowledgement: a stale flag would suppress the next 'P',
    // while an extra 'P' to a board already programming is harmless.
    inProgMode_ = false;
    return SendAcked({'L'});
}

bool CLowIO::ExitProgramming() {
    uint8_t reply = 0;
    if (!Send({'E'}) || !ReadByte(reply)) {
        return false;
    }
    if (reply != kCR) {
        panel_.Notice("Exit programming not supported on this programmer");
        return false;
    }
    inProgMode_ = false;
    return true;
}

bool CLowIO::SelectDevice(DeviceRecord record, uint8_t level) {
    DeviceProfile profile = ProfileFor(record);
    profile.record = record;
    return SelectDevice(profile, level);
}

bool CLowIO::SelectDevice(const DeviceProfile& profile, uint8_t level) {
    profile_ = profile;
    const DeviceRecord& record = profile.record;
    const std::vector<uint8_t> block = SelectBlock(record, level);
    if (!WriteBlock(block.data(), block.size()) || !ReadAck()) {
        return false;
    }
    flashSize_ = record.flashSize;
    eepromSize_ = record.eepromSize;
    wordWide_ = record.wordWideFlash != 0;
    return true;
}

bool CLowIO::ChipErase() {
    if (!EnterProgMode()) {
        return false;
    }
    uint8_t reply = 0;
    if (!Send({'e'}) || !ReadByte(reply)) {
        return false;
    }
    clock_.SleepMs(kErasePauseMs);
    if (reply != kCR) {
        return false;
    }
    return !profile_.erasedByLeavingProgrammingMode || LeaveProgMode();
}

bool CLowIO::SetStatusLamp(int id) {
    for (uint8_t lamp : {uint8_t{1}, uint8_t{2}, uint8_t{0}}) {
        const bool missingBefore = replyMissing_;
        static_cast<void>(SendAcked({'y', lamp}));
        // The answers to switching off do not matter, but a board that answered neither the
        // command before nor this one has stopped listening: each further lamp exchange would
        // only hold the window for another full read time-out.
        if (missingBefore && replyMissing_) {
            return false;
        }
    }
    if (id < kLampFailed || id > kLampBusy) {
        return true;
    }
    return SendAcked({'x', static_cast<uint8_t>(id - kLampFailed)});
}

}  // namespace zentaro
