// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/fake_board.h"

#include <gtest/gtest.h>

#include "operations/link_notices.h"

namespace zentaro::test {

namespace {

constexpr uint8_t kCR = 0x0D;
constexpr uint8_t kEscape = 0x1B;

}  // namespace

const DeviceRecord& Device(const std::string& name) {
    const DeviceRecord& record = FindDeviceByName(name);
    EXPECT_NE(record.name, nullptr) << name;
    return record;
}

FakeBoard::FakeBoard(const DeviceRecord& device, bool autoIncrement, uint32_t blockSize)
    : flash(device.flashSize, 0xFF), eeprom(device.eepromSize, 0xFF) {
    auto port = std::make_unique<ScriptedPort>();
    port_ = port.get();
    port_->SetResponder(
        [this, autoIncrement, blockSize](const std::string&, int, const Bytes& written) -> Bytes {
            if (written == Bytes(4, kEscape)) {
                return {};  // the wake-up probe
            }
            switch (written[0]) {
                case 'S':
                    return {'M', 'Z', 'R', '-', 'S', 'I', 'M'};
                case 'a':
                    return {static_cast<uint8_t>(autoIncrement ? 'Y' : 'N')};
                case 'b':
                    if (blockSize == 0) {
                        return {'N'};
                    }
                    return {'Y', static_cast<uint8_t>(blockSize >> 8),
                            static_cast<uint8_t>(blockSize & 0xFF)};
                default:
                    return Answer(written);
            }
        });
    link_ = std::make_unique<CLowIO>(std::move(port), clock_, NoticesOn(panel_));
    EXPECT_TRUE(link_->OpenAndScan());
    EXPECT_TRUE(link_->QueryBlockSize());
    EXPECT_TRUE(link_->SelectDevice(device, 3));
    wordWide_ = device.wordWideFlash != 0;
    port_->ClearWritten();
    panel_.ClearLog();
    std::fill(seen_.begin(), seen_.end(), 0);
    clock_.sleeps.clear();
}

void FakeBoard::Fault(uint8_t letter, int occurrence, Bytes reply) {
    faults_.push_back({letter, occurrence, std::move(reply)});
}

FakeBoard::Bytes FakeBoard::Answer(const Bytes& written) {
    if (pendingCount_ > 0) {
        // The data of a block write: a fault planned for its header replaces the
        // acknowledgement.
        Bytes reply = Normal(written);
        if (blockFault_) {
            reply = *blockFault_;
            blockFault_.reset();
        }
        return reply;
    }
    if (onCommand) {
        onCommand(written);
    }
    const int seen = ++seen_[written[0]];
    for (const Planned& fault : faults_) {
        if (fault.letter == written[0] && fault.occurrence == seen) {
            if (written[0] == 'B') {
                blockFault_ = fault.reply;
                break;
            }
            return fault.reply;
        }
    }
    return Normal(written);
}

uint32_t FakeBoard::FlashByteAddress() const {
    return wordWide_ ? 2 * address_ : address_;
}

FakeBoard::Bytes FakeBoard::Normal(const Bytes& written) {
    if (pendingCount_ > 0) {
        std::vector<uint8_t>& memory = pendingType_ == 'F' ? flash : eeprom;
        const uint32_t start = pendingType_ == 'F' ? FlashByteAddress() : address_;
        for (uint32_t i = 0; i < written.size() && start + i < memory.size(); ++i) {
            memory[start + i] = written[i];
        }
        address_ += pendingType_ == 'F' && wordWide_ ? pendingCount_ / 2 : pendingCount_;
        pendingCount_ = 0;
        return {kCR};
    }
    const auto at = [](const std::vector<uint8_t>& memory, uint32_t i) -> uint8_t {
        return i < memory.size() ? memory[i] : 0xFF;
    };
    switch (written[0]) {
        case kEscape:
        case 'P':
        case 'L':
        case 'y':
        case 'x':
        case 'm':
            return {kCR};
        case 'e':
            std::fill(flash.begin(), flash.end(), 0xFF);
            return {kCR};
        case 'A':
            address_ = static_cast<uint32_t>(written[1] << 8 | written[2]);
            return {kCR};
        case 'c':
            flash[FlashByteAddress()] = written[1];
            address_ += wordWide_ ? 0 : 1;
            return {kCR};
        case 'C':
            flash[FlashByteAddress() + 1] = written[1];
            ++address_;
            return {kCR};
        case 'R': {
            const uint32_t byte = FlashByteAddress();
            ++address_;
            if (!wordWide_) {
                return {at(flash, byte)};
            }
            return {at(flash, byte + 1), at(flash, byte)};
        }
        case 'D':
            eeprom[address_++] = written[1];
            return {kCR};
        case 'd':
            return {at(eeprom, address_++)};
        case 'B':
            pendingCount_ = static_cast<uint32_t>(written[1] << 8 | written[2]);
            pendingType_ = written[3];
            return {};
        case 'g': {
            const uint32_t count = static_cast<uint32_t>(written[1] << 8 | written[2]);
            const bool isFlash = written[3] == 'F';
            const uint32_t start = isFlash ? FlashByteAddress() : address_;
            Bytes data;
            for (uint32_t i = 0; i < count; ++i) {
                data.push_back(at(isFlash ? flash : eeprom, start + i));
            }
            address_ += isFlash && wordWide_ ? count / 2 : count;
            return data;
        }
        case 'N':
            return {highFuse};
        case 'l':
            locks.push_back(written[1]);
            return {kCR};
        default:
            return {'?'};
    }
}

std::vector<FakeBoard::Bytes> FakeBoard::MemoryTraffic() const {
    std::vector<Bytes> traffic;
    for (const Bytes& write : port_->Writes()) {
        if (write[0] != kEscape && write[0] != 'x' && write[0] != 'y') {
            traffic.push_back(write);
        }
    }
    return traffic;
}

std::vector<int> FakeBoard::LampsLit() const {
    std::vector<int> lamps;
    for (const Bytes& write : port_->Writes()) {
        if (write[0] == 'x') {
            lamps.push_back(1011 + write[1]);
        }
    }
    return lamps;
}

}  // namespace zentaro::test
