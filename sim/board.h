// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sim/chip.h"
#include "sim/options.h"

namespace zentaro::sim {

// Reply bytes to one command, and how long after the command they are due (a late-reply
// fault delays them).
struct Reply {
    std::vector<uint8_t> bytes;
    std::chrono::milliseconds delay{0};
};

// The select-device block as the board read it. The short forms leave out what they do not
// carry: only the code at level 0; no version, EEPROM page size or extension byte at level 1.
struct SelectBlock {
    uint8_t deviceCode = 0;
    uint8_t version = 0;
    std::array<uint8_t, 3> programmerFlags{};
    uint16_t flashPageSize = 0;
    uint32_t programmerParams = 0;
    uint8_t pageWords = 0;
    uint8_t targetParam = 0;
    uint32_t flashSize = 0;
    uint16_t eepromSize = 0;
    uint16_t eepromPageSize = 0;
    uint8_t extension = 0;
};

struct Counters {
    uint64_t bytesIn = 0;    // bytes the board took in
    uint64_t bytesOut = 0;   // reply bytes it produced
    uint64_t exchanges = 0;  // commands it answered
};

// The board firmware: takes the host's bytes as they come (in any split) and produces the
// replies. Not thread-safe; the owner serialises access.
class Board {
public:
    static constexpr size_t kLampCount = 3;

    // Applies the options' initial configuration bytes to the chip.
    Board(const BoardOptions& options, Chip chip);

    std::vector<Reply> Feed(std::span<const uint8_t> bytes);
    // Convenience for tests and tools: feeds the text and joins every reply, due or late.
    std::string FeedText(std::string_view bytes);

    // Receives one readable line per exchange.
    void SetLogSink(std::function<void(const std::string&)> sink) { log_ = std::move(sink); }

    Chip& TargetChip() { return chip_; }
    const Chip& TargetChip() const { return chip_; }
    bool ProgrammingMode() const { return programming_; }
    uint16_t Address() const { return address_; }
    uint8_t SelectedDeviceCode() const { return selected_.deviceCode; }
    const SelectBlock& LastSelect() const { return selected_; }
    uint8_t ProgrammerMode() const { return mode_; }
    const std::array<bool, kLampCount>& Lamps() const { return lamps_; }
    bool HungUp() const { return hungUp_; }
    const Counters& Count() const { return counters_; }

private:
    struct Outcome {
        std::vector<uint8_t> reply;
        std::string note;
    };

    void TakeByte(uint8_t byte, std::vector<Reply>& replies);
    void TakeUpgradeByte(uint8_t byte, std::vector<Reply>& replies);
    size_t CommandLength() const;
    size_t SelectBlockLength() const;
    Outcome Execute();
    Outcome ExecuteChipCommand();
    Outcome ExecuteMemoryCommand();
    Outcome ExecuteConfigCommand();
    Outcome SelectDevice();
    Outcome Lamp(bool on);
    Outcome PassThrough(uint8_t i1, uint8_t i2, uint8_t i3, uint8_t i4, bool oldFuseForm);
    Outcome BlockWrite();
    Outcome BlockRead();
    void Finish(uint8_t key, const std::vector<uint8_t>& hostBytes, Outcome outcome,
                std::vector<Reply>& replies);
    void Advance(unsigned steps);

    BoardOptions options_;
    Chip chip_;
    std::function<void(const std::string&)> log_;

    std::vector<uint8_t> pending_;  // the command being received, letter first
    unsigned escapes_ = 0;          // ESC bytes in a row while idle
    size_t upgradeMatched_ = 0;     // characters of the upgrade request matched so far
    bool upgradeArmed_ = false;

    bool programming_ = false;
    uint16_t address_ = 0;
    SelectBlock selected_;
    uint8_t mode_ = 0;
    std::array<bool, kLampCount> lamps_{};
    bool hungUp_ = false;
    std::array<unsigned, 256> seen_{};  // occurrences per command key, for faults
    Counters counters_;
};

}  // namespace zentaro::sim
