// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/low_io.h"
#include "link/posix_serial_port.h"
#include "link/temp_config_home.h"
#include "sim/sim_server.h"
#include "support/recording_panel.h"

namespace zentaro::test {

using Bytes = std::vector<uint8_t>;

// The link on a real pty and PosixSerialPort, talking to a simulated board linked in a
// private config home; no other ports exist, so a scan skips COM ports without a board.
class HostBoardTest : public ::testing::Test {
protected:
    HostBoardTest()
        : link(std::make_unique<CLowIO>(
              std::make_unique<PosixSerialPort>(PortNames{home.Path(), {}}), panel, clock)) {}

    void StartBoard(std::vector<std::string> args) {
        board = std::make_unique<sim::SimServer>(std::move(args), home.Path().string());
        ASSERT_TRUE(board->Start()) << board->Error();
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

    TempConfigHome home;
    RecordingPanel panel;
    SystemClock clock;
    // Declared before the link so that the link closes its port before the board stops.
    std::unique_ptr<sim::SimServer> board;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
