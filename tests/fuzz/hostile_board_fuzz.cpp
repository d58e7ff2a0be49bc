// SPDX-License-Identifier: GPL-3.0-or-later
// The link, the memory loops and the lock/fuse flows against a board whose every reply comes
// from the fuzzer: the first bytes choose the device, the level, the ports that open, the
// commands to run and the image; the rest are the board's replies. Pauses cost nothing and
// a reply that runs dry ends like a time-out.
#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/clock.h"
#include "config_bits/flows.h"
#include "fuzz_panel.h"
#include "hostile_port.h"
#include "link/low_io.h"
#include "operations/eeprom_loops.h"
#include "operations/flash_loops.h"
#include "operations/link_notices.h"
#include "operations/read_loops.h"

namespace {

using zentaro::BoardProtocol;
using zentaro::CLowIO;
using zentaro::fuzz::Exchange;
using zentaro::fuzz::FuzzBytes;
using zentaro::fuzz::HostilePort;
using zentaro::fuzz::Transcript;
using Bytes = std::vector<uint8_t>;

class NoClock final : public zentaro::Clock {
public:
    void SleepMs(unsigned) override {}
};

void Require(bool property) {
    if (!property) {
        std::abort();
    }
}

bool IsCommand(const Transcript& log, const Exchange& e, uint8_t letter) {
    return !e.blockData && e.written.size() > 0 && log.Written(e)[0] == letter;
}

bool HandedOutIs(const Transcript& log, const Exchange& e, const Bytes& bytes) {
    return e.handedOut.size() == bytes.size() &&
           std::equal(bytes.begin(), bytes.end(), log.HandedOut(e));
}

// What the host was handed for every exchange of one command letter, in order.
Bytes HandedOutFor(const Transcript& log, uint8_t letter) {
    Bytes bytes;
    for (const Exchange& e : log.exchanges) {
        if (IsCommand(log, e, letter)) {
            bytes.insert(bytes.end(), log.HandedOut(e), log.HandedOut(e) + e.handedOut.size());
        }
    }
    return bytes;
}

// A command that succeeded got exactly one CR for each exchange other than the reads,
// nothing for a block write's header, and every block carried the count its header named.
void RequireAcks(const Transcript& log, const std::string& reads) {
    const auto& exchanges = log.exchanges;
    for (size_t i = 0; i < exchanges.size(); ++i) {
        const Exchange& e = exchanges[i];
        if (e.blockData) {
            const uint8_t* header = log.Written(exchanges[i - 1]);
            Require(e.written.size() == size_t{header[1]} * 256 + header[2]);
            Require(HandedOutIs(log, e, {BoardProtocol::kCR}));
            continue;
        }
        if (reads.find(static_cast<char>(log.Written(e)[0])) != std::string::npos) {
            continue;
        }
        const bool isBlockHeader = i + 1 < exchanges.size() && exchanges[i + 1].blockData;
        Require(isBlockHeader ? e.handedOut.size() == 0
                              : HandedOutIs(log, e, {BoardProtocol::kCR}));
    }
}

// The chip's bytes as the flash reads handed them out: blocks as they came, words high
// byte first, into the low-byte-first order of the image.
Bytes FlashBytesRead(const Transcript& log, bool blocks, bool words) {
    if (blocks) {
        return HandedOutFor(log, 'g');
    }
    Bytes reads = HandedOutFor(log, 'R');
    if (words) {
        for (size_t i = 0; i + 1 < reads.size(); i += 2) {
            std::swap(reads[i], reads[i + 1]);
        }
    }
    return reads;
}

Bytes EepromBytesRead(const Transcript& log, bool blocks) {
    return HandedOutFor(log, blocks ? 'g' : 'd');
}

// A verify that said the memory matches compared the image with bytes the board sent.
void RequireSameAsImage(const Bytes& read, const Bytes& image, uint32_t last) {
    Require(read.size() >= last + 1u);
    Require(std::equal(image.begin(), image.begin() + last + 1, read.begin()));
}

// A read-to-file that succeeded wrote exactly the bytes the board sent, in whole records.
// The memory a read handed out is what the board sent, in whole records.
void RequireMemoryHolds(const Bytes& memory, const Bytes& read, uint32_t size) {
    Require(memory.size() >= size / 16 * 16 && memory.size() <= size);
    Require(read.size() >= memory.size());
    Require(std::equal(memory.begin(), memory.end(), read.begin()));
}

class HostileRun {
public:
    HostileRun(const uint8_t* data, size_t size) : input_(data, size) {}

    void Run() {
        const auto devices = zentaro::DeviceTable();
        device_ = devices[input_.Byte() % (devices.size() - 1)];
        level_ = input_.Byte() % 7;
        const uint8_t ports = input_.Byte();
        steps_ = input_.Word();
        // Loops over blank flash cost time without reaching anything new: images stay short.
        const uint32_t extent = input_.Word() % 4096u;
        size_t patternLength = 0;
        const uint8_t* pattern = input_.Take(input_.Byte() % 17, patternLength);

        auto owned = std::make_unique<HostilePort>(input_, ports, transcript_);
        port_ = owned.get();
        CLowIO link(std::move(owned), clock_, zentaro::NoticesOn(panel_));
        Discover(link);

        const uint32_t last = std::min<uint32_t>(extent, device_.flashSize - 1);
        image_.assign(device_.flashSize, 0xFF);
        if (patternLength > 0) {
            // The pattern repeated over image[0 ... last], in copies that double each time.
            const size_t length = last + size_t{1};
            std::copy_n(pattern, std::min(patternLength, length), image_.begin());
            for (size_t filled = patternLength; filled < length; filled *= 2) {
                std::copy_n(image_.begin(), std::min(filled, length - filled),
                            image_.begin() + static_cast<long>(filled));
            }
        }
        if (Step(6)) {
            MemoryLoops(link, last);
        }
        if (Step(7)) {
            LockAndFuses(link);
        }
    }

private:
    bool Step(int bit) const { return (steps_ >> bit & 1) != 0; }

    void Begin() { port_->ClearLog(); }
    bool LastHandedOut(const Bytes& bytes) const {
        return HandedOutIs(transcript_, transcript_.exchanges.back(), bytes);
    }

    void Discover(CLowIO& link) {
        if (link.OpenAndScan()) {
            Require(link.SoftwareIdentifier().size() == 7 &&
                    link.SoftwareIdentifier().starts_with("MZR"));
        } else {
            // Go on with a board that never identified itself, to reach the commands.
            port_->Open("COM1", 115200) || port_->Open("COM2", 115200) ||
                port_->Open("COM3", 115200) || port_->Open("COM4", 115200);
        }
        if (Step(0)) {
            Begin();
            if (link.QueryBlockSize()) {
                const Exchange& query = transcript_.exchanges.back();
                const uint8_t* reply = transcript_.HandedOut(query);
                Require(query.handedOut.size() > 0);
                Require(link.BlockSize() == 0 || (query.handedOut.size() >= 3 && reply[0] == 'Y' &&
                                                  link.BlockSize() == reply[1] * 256u + reply[2]));
            }
        }
        // Commands whose result is not checked here only have to end without harm.
        if (Step(1)) {
            BoardProtocol::ListBuffer list{};
            static_cast<void>(link.wire().ReadSupportedDevices(list));
            static_cast<void>(link.wire().ReadProgrammerModes(list));
            level_ = std::min<uint8_t>(level_, link.wire().ReadProgrammerLevel());
        }
        if (Step(2)) {
            Begin();
            if (link.wire().SetProgrammerMode('S')) {
                Require(LastHandedOut({BoardProtocol::kCR}));
            }
        }
        Begin();
        if (link.SelectDevice(device_, level_)) {
            Require(LastHandedOut({BoardProtocol::kCR}));
        }
        if (Step(3)) {
            Begin();
            if (link.ChipErase()) {
                RequireAcks(transcript_, "");
            }
            static_cast<void>(link.ExitProgramming());
        }
        if (Step(4)) {
            uint8_t value = 0;
            uint8_t b1 = 0;
            uint8_t b2 = 0;
            static_cast<void>(link.ReadSignature(value, b1, b2));
            static_cast<void>(link.ReadCalibrationByte(value));
            static_cast<void>(link.ReadFuseBits(value));
            static_cast<void>(link.ReadHighFuseBits(value));
            static_cast<void>(link.ReadExtendedFuseBits(value));
            static_cast<void>(link.ReadLockBits(value));
            static_cast<void>(link.UniversalCommand(0xAC, 0x53, 0x00, value));
        }
        if (Step(5)) {
            Begin();
            if (link.WriteFuseBits(0xE1)) {
                RequireAcks(transcript_, "");
            }
            static_cast<void>(link.WriteHighFuseBits(0xD9));
            static_cast<void>(link.WriteExtendedFuseBits(0xFF));
            static_cast<void>(link.WriteLockBits(0xFC));
        }
    }

    void MemoryLoops(CLowIO& link, uint32_t last) {
        const uint32_t pageSize = Step(8) ? device_.flashPageSize : 0;
        const bool blocks = link.BlockSize() > 0;
        if (Step(9)) {
            Begin();
            if (zentaro::WriteFlashImage(link, panel_, image_, last, pageSize)) {
                RequireAcks(transcript_, "");
            }
        }
        if (Step(10)) {
            Begin();
            if (zentaro::VerifyFlashImage(link, panel_, image_, last)) {
                RequireAcks(transcript_, "gR");
                RequireSameAsImage(FlashBytesRead(transcript_, blocks, link.WordWide()), image_,
                                   last);
            }
        }
        if (device_.eepromSize > 0) {
            const uint32_t eepromLast = std::min(last, device_.eepromSize - 1);
            if (Step(11)) {
                Begin();
                if (zentaro::WriteEepromImage(link, panel_, image_, eepromLast)) {
                    RequireAcks(transcript_, "");
                }
            }
            if (Step(12)) {
                Begin();
                if (zentaro::VerifyEepromImage(link, panel_, image_, eepromLast)) {
                    RequireAcks(transcript_, "gd");
                    RequireSameAsImage(EepromBytesRead(transcript_, blocks), image_, eepromLast);
                }
            }
        }
        if (Step(13)) {
            Begin();
            Bytes memory;
            if (zentaro::ReadFlashMemory(link, panel_, memory)) {
                RequireAcks(transcript_, "gR");
                RequireMemoryHolds(memory, FlashBytesRead(transcript_, blocks, link.WordWide()),
                                   link.FlashSize());
            }
        }
        if (Step(14)) {
            Begin();
            Bytes memory;
            if (zentaro::ReadEepromMemory(link, panel_, memory)) {
                RequireAcks(transcript_, "gd");
                RequireMemoryHolds(memory, EepromBytesRead(transcript_, blocks), link.EepromSize());
            }
        }
    }

    void LockAndFuses(CLowIO& link) {
        zentaro::AdvancedOptions options(link, device_, level_);
        options.Open();
        if (Step(15)) {
            options.Read();
        }
        options.Write();
        options.Erase();
    }

    FuzzBytes input_;
    zentaro::fuzz::FuzzPanel panel_;
    NoClock clock_;
    HostilePort* port_ = nullptr;
    zentaro::DeviceRecord device_;
    uint8_t level_ = 0;
    uint16_t steps_ = 0;
    // The window's image of the device's flash size; kept across inputs.
    static inline Bytes image_;
    static inline Transcript transcript_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    HostileRun(data, size).Run();
    return 0;
}
