// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/low_io.h"
#include "operations/link_notices.h"
#include "support/byte_pattern.h"
#include "support/in_memory_board.h"
#include "support/recording_panel.h"

namespace zentaro::test {

using Bytes = std::vector<uint8_t>;

inline Bytes Slice(const Bytes& from, size_t offset, size_t count) {
    return Bytes(from.begin() + static_cast<long>(offset),
                 from.begin() + static_cast<long>(offset + count));
}

// The link talking to the simulated board's own state machine in memory; time is the
// board's virtual time, so a time-out or a pause costs nothing.
class HostBoardTest : public ::testing::Test {
protected:
    void StartBoard(std::vector<std::string> args) {
        board = std::make_unique<InMemoryBoard>(std::move(args));
        link = std::make_unique<CLowIO>(board->Port(), board->PauseClock(), NoticesOn(panel));
    }

    // Starts the board and scans for it; the link is then open as after program start.
    void Connect(std::vector<std::string> args) {
        StartBoard(std::move(args));
        ASSERT_TRUE(link->OpenAndScan());
    }

    // Connects, selects the fitted chip and enters programming mode.
    void ConnectAndProgram(const char* chip, std::vector<std::string> more = {}) {
        more.insert(more.begin(), {"--chip", chip});
        Connect(std::move(more));
        ASSERT_TRUE(link->SelectDevice(FindDeviceByName(chip), 3));
        ASSERT_TRUE(link->EnterProgMode());
    }

    RecordingPanel panel;
    std::unique_ptr<InMemoryBoard> board;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
