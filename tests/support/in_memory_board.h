// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "link/serial_port.h"
#include "sim/board.h"
#include "support/scripted_port.h"

namespace zentaro::test {

// The simulated board's own state machine behind an in-memory serial port: no pty, no
// thread, and no real waiting. Time is virtual: a read that finds too few bytes "waits" its
// whole time-out in an instant, late replies become readable once their time has come, and
// the protocol's pauses (through Clock()) move the same time on. The options are those of
// zentaro-sim; the accessors have the names SimServer gives them.
class InMemoryBoard {
public:
    explicit InMemoryBoard(const std::vector<std::string>& options);
    InMemoryBoard(const InMemoryBoard&) = delete;
    InMemoryBoard& operator=(const InMemoryBoard&) = delete;

    // A port on which only the board's COM name opens; bytes sent at another rate than the
    // board's are dropped, as on the wire.
    std::unique_ptr<SerialPort> Port();
    // For a ScriptedPort, which keeps every write: the board answers each write at once with
    // all it replied, late replies included.
    ScriptedPort::Responder Responder();
    Clock& PauseClock() { return clock_; }
    // Virtual milliseconds since the board was made: every time-out and pause so far.
    uint64_t NowMs() const { return nowMs_; }

    sim::Board& State() { return *board_; }
    const std::vector<uint8_t>& Flash() const { return board_->TargetChip().Flash(); }
    const std::vector<uint8_t>& Eeprom() const { return board_->TargetChip().Eeprom(); }
    void LoadFlash(const std::vector<uint8_t>& bytes) { board_->TargetChip().LoadFlash(bytes); }
    const sim::ConfigBytes& Config() const { return board_->TargetChip().Config(); }
    void SetConfig(const sim::ConfigBytes& config) { board_->TargetChip().SetConfig(config); }
    const sim::Counters& Count() const { return board_->Count(); }
    uint8_t ProgrammerMode() const { return board_->ProgrammerMode(); }
    const std::array<uint8_t, 3>& Signature() const { return board_->TargetChip().Signature(); }
    const sim::SelectBlock& LastSelect() const { return board_->LastSelect(); }
    // Every exchange as the simulator's --log writes it, a line each.
    const std::string& WireLog() const { return log_; }
    std::array<bool, sim::Board::kLampCount> Lamps() const { return board_->Lamps(); }
    bool ProgrammingMode() const { return board_->ProgrammingMode(); }
    uint8_t SelectedDeviceCode() const { return board_->SelectedDeviceCode(); }

private:
    class VirtualClock final : public Clock {
    public:
        explicit VirtualClock(uint64_t& nowMs) : nowMs_(nowMs) {}
        void SleepMs(unsigned milliseconds) override { nowMs_ += milliseconds; }

    private:
        uint64_t& nowMs_;
    };
    class Wire;

    sim::BoardOptions options_;
    std::unique_ptr<sim::Board> board_;
    std::string log_;
    uint64_t nowMs_ = 0;
    VirtualClock clock_{nowMs_};
};

}  // namespace zentaro::test
