// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "link/low_io.h"
#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro::test {

// A board behind a ScriptedPort for the loop and command tests: it answers the memory
// commands from its own flash and EEPROM so that the tests can look at the exact bytes the
// host sent and at what ended up in the chip. Writes land at once (no page buffer); the
// address counter always advances, as on a board that auto-increments.
class FakeBoard {
public:
    using Bytes = ScriptedPort::Bytes;

    // The link is opened on the fake port; autoIncrement and blockSize are what the board
    // reported at start-up, and device is selected.
    FakeBoard(const DeviceRecord& device, bool autoIncrement, uint32_t blockSize);

    CLowIO& Link() { return *link_; }
    RecordingPanel& Panel() { return panel_; }
    ScriptedPort& Port() { return *port_; }
    FakeClock& Clock() { return clock_; }

    std::vector<uint8_t> flash;
    std::vector<uint8_t> eeprom;
    uint8_t highFuse = 0xFF;
    std::vector<uint8_t> locks;  // every value written with 'l'

    // The reply to the occurrence-th command starting with letter (1 = first) becomes reply
    // (empty: no answer at all).
    void Fault(uint8_t letter, int occurrence, Bytes reply);
    // Called with every command as it arrives, before it is answered.
    std::function<void(const Bytes& command)> onCommand;

    // The writes since the last ClearWritten, without the select block and lamp commands.
    std::vector<Bytes> MemoryTraffic() const;
    // 'x' n commands in order: the lamps switched on.
    std::vector<int> LampsLit() const;

private:
    Bytes Answer(const Bytes& written);
    Bytes Normal(const Bytes& written);
    uint32_t FlashByteAddress() const;

    RecordingPanel panel_;
    FakeClock clock_;
    ScriptedPort* port_ = nullptr;
    std::unique_ptr<CLowIO> link_;
    bool wordWide_ = true;
    uint32_t address_ = 0;
    // A block write header waiting for its data: count and memory type.
    uint32_t pendingCount_ = 0;
    uint8_t pendingType_ = 0;
    struct Planned {
        uint8_t letter;
        int occurrence;
        Bytes reply;
    };
    std::vector<Planned> faults_;
    std::optional<Bytes> blockFault_;
    std::vector<int> seen_ = std::vector<int>(256, 0);
};

// A device row by name; fails the test when there is none.
const DeviceRecord& Device(const std::string& name);

}  // namespace zentaro::test
