// SPDX-License-Identifier: GPL-3.0-or-later
// The few host/board tests that go through the termios port and a pty on purpose: the port
// name mapping, the line rate and blocks of bytes on a real line.
#include "host_board_fixture.h"
#include "link/posix/posix_serial_port.h"
#include "link/temp_config_home.h"
#include "sim/sim_server.h"

namespace zentaro::test {
namespace {

// The link on a real pty and PosixSerialPort, talking to a simulated board linked in a
// private config home; no other ports exist, so a scan skips COM ports without a board.
class PtyBoardTest : public ::testing::Test {
protected:
    PtyBoardTest()
        : link(std::make_unique<CLowIO>(
              std::make_unique<PosixSerialPort>(PortNames{home.Path(), {}}), clock,
              NoticesOn(panel))) {}

    void StartBoard(std::vector<std::string> args) {
        board = std::make_unique<sim::SimServer>(std::move(args), home.Path().string());
        ASSERT_TRUE(board->Start()) << board->Error();
    }

    TempConfigHome home;
    RecordingPanel panel;
    SystemClock clock;
    // Declared before the link so that the link closes its port before the board stops.
    std::unique_ptr<sim::SimServer> board;
    std::unique_ptr<CLowIO> link;
};

TEST_F(PtyBoardTest, BoardOnCom3At19200) {
    StartBoard({"--port", "COM3", "--baud", "19200"});
    ASSERT_TRUE(link->OpenAndScan());
    EXPECT_TRUE(link->IsOpen());
    EXPECT_TRUE(link->AutoIncrement());
}

TEST_F(PtyBoardTest, BoardAtAnotherRateIsNotFound) {
    StartBoard({"--baud", "57600"});
    EXPECT_FALSE(link->OpenAndScan());
    EXPECT_FALSE(link->IsOpen());
}

TEST_F(PtyBoardTest, FlashBlocksGoToTheAddressedWordsAndComeBack) {
    StartBoard({"--chip", "Mirval 10"});
    ASSERT_TRUE(link->OpenAndScan());
    ASSERT_TRUE(link->SelectDevice(FindDeviceByName("Mirval 10"), 3));
    ASSERT_TRUE(link->EnterProgMode());
    const Bytes data = Pattern(256, 3);
    ASSERT_TRUE(link->wire().SetAddress(0x0100));
    ASSERT_TRUE(link->wire().BlockWrite(256, data.data(), BoardProtocol::kFlashMemory));
    EXPECT_EQ(Slice(board->Flash(), 0x200, 256), data);

    Bytes back(256);
    ASSERT_TRUE(link->wire().SetAddress(0x0100));
    ASSERT_TRUE(link->wire().BlockRead(back.data(), 256, BoardProtocol::kFlashMemory));
    EXPECT_EQ(back, data);
}

}  // namespace
}  // namespace zentaro::test
