// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "sim/board.h"
#include "sim/chip.h"
#include "sim/options.h"
#include "sim/pty_port.h"

namespace zentaro::sim {

// The simulated programmer board served on a pseudo-terminal linked as a COM port.
//
// Typical use in a host/board test:
//
//     SimServer sim({"--port", "COM3", "--chip", "Mirval 10", "--block-size", "256"}, home);
//     ASSERT_TRUE(sim.Start()) << sim.Error();
//     // ... the host opens "COM3" with XDG_CONFIG_HOME=home and talks to the board ...
//     EXPECT_EQ(sim.Flash()[0], 0x12);
//     sim.Stop();  // also done by the destructor
//
// The options are those of the zentaro-sim command line (zentaro-sim --help, or
// HelpText()). Start() links <configHome>/Veltrona/Zentaro/ports/<port> to the pty's
// slave device and serves the board on a background thread; Stop() ends the thread,
// removes the link and saves the state file when one was given. A link already there is
// never taken over when it leads somewhere; a dangling one is replaced only when the hidden
// note an earlier board wrote beside it (.<port>.zentaro-sim) names its target, i.e. when a
// killed board left it (a user's pin of an unplugged device stays).
//
// Board behaviour worth knowing when writing tests:
// - The chip fitted is the --chip one whatever device the host selects; a select block
//   for another code is acknowledged (and logged), memory commands reach the fitted chip.
// - The board listens at --baud only (default 115200): bytes sent at another rate are
//   dropped without an answer.
// - Flash and lock bits can only be programmed from 1 to 0; chip erase ('e') sets flash
//   and lock back to 0xFF, EEPROM and fuses stay. Out-of-range reads give 0xFF, writes
//   beyond a memory are dropped.
// - Commands touching the chip are answered '?' outside programming mode ('P' .. 'L'/'E');
//   unknown commands are answered '?' too.
// - One address counter serves flash and EEPROM. With --auto-increment Y, 'R', 'd', 'D'
//   and the write that completes an address ('C' on word-wide chips, 'c' on byte-wide
//   ones) advance it by one. 'B' and 'g' always advance it: by count/2 words for 'F' on a
//   word-wide chip, else by count.
// - Paged chips: 'c'/'C' fill the page buffer at the byte's offset within its page, and
//   'm' programs the buffer into the page holding the counter's address. Block writes
//   ('B' ... 'F') program flash directly.
// - 's' sends the signature bytes 2, 1, 0 (Signature() holds them as 0, 1, 2).
// - ':' and '.' decode the lock/fuse/calibration read and write instructions; ':' AC
//   (A0 + bits) 00 sets bits 4-0 of the low fuse. Other instructions answer 00 CR.
// - With --upgrade-mode the board answers only the upgrade-mode identification.
// - With --state, the chip is saved whenever the host leaves programming mode after a
//   change, and at Stop().
//
// Every accessor is thread-safe and may be called while the host talks to the board.
class SimServer {
public:
    // configHome empty: the --config-home option, else $XDG_CONFIG_HOME, else ~/.config.
    explicit SimServer(std::vector<std::string> args, std::string configHome = {});
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;
    ~SimServer();

    // False (with Error() set) when the options are bad, the chip unknown, a file cannot
    // be read or the pty cannot be made. The options, the chip and the files are taken at
    // construction, so the accessors and preloading setters work before Start().
    bool Start();
    void Stop();
    bool Running() const { return thread_.joinable(); }
    const std::string& Error() const { return error_; }

    const BoardOptions& Options() const { return options_; }
    // <configHome>/Veltrona/Zentaro/ports/<port>, and the pty device it points to.
    std::string LinkPath() const;
    std::string SlavePath() const { return pty_.SlavePath(); }

    // Copies of the board and chip state.
    std::vector<uint8_t> Flash() const;
    std::vector<uint8_t> Eeprom() const;
    ConfigBytes Config() const;
    std::array<uint8_t, 3> Signature() const;  // bytes 0, 1, 2 (sent to 's' as 2, 1, 0)
    uint8_t Calibration() const;
    std::array<bool, Board::kLampCount> Lamps() const;  // [0] failed, [1] done, [2] busy
    bool ProgrammingMode() const;
    uint8_t SelectedDeviceCode() const;
    SelectBlock LastSelect() const;  // the last select-device block, as the board read it
    uint8_t ProgrammerMode() const;  // the last mode set with 'o', 0 before
    Counters Count() const;

    // Preloading (before or while serving). Flash/EEPROM copy as many bytes as fit.
    void LoadFlash(std::span<const uint8_t> bytes);
    void LoadEeprom(std::span<const uint8_t> bytes);
    void SetConfig(const ConfigBytes& config);

private:
    struct Outgoing;
    struct Incoming;

    std::string BuildBoard();
    std::string OpenLogAndPort();
    void CloseLog();
    void Serve();
    void Log(const std::string& line);
    void SaveIfRestingAfterChange();

    BoardOptions options_;
    std::string configHome_;
    std::string error_;
    std::unique_ptr<Board> board_;
    mutable std::mutex mutex_;  // guards board_ and everything inside it
    PtyPort pty_;
    int wakeFd_ = -1;
    std::FILE* log_ = nullptr;
    std::chrono::steady_clock::time_point started_;
    bool ownLog_ = false;
    std::thread thread_;
};

}  // namespace zentaro::sim
