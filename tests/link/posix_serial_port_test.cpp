// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/posix/posix_serial_port.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>
#include <vector>

#include "link/pty_master.h"
#include "temp_config_home.h"

namespace zentaro::test {
namespace {

using std::chrono::milliseconds;
using Bytes = std::vector<uint8_t>;

long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(
        std::chrono::duration_cast<milliseconds>(std::chrono::steady_clock::now() - since).count());
}

// A pty whose slave is linked as COM1 in a temporary config home; the test plays the board
// on the master side.
class PosixSerialPortTest : public ::testing::Test {
protected:
    void SetUp() override {
        master = OpenPtyMaster();
        ASSERT_GE(master, 0);
        home.Link("COM1", ptsname(master));
        ASSERT_TRUE(port.Open("COM1", 19200));
    }
    void TearDown() override {
        port.Close();
        if (master >= 0) {
            close(master);
        }
    }

    void BoardSends(const Bytes& bytes) const {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Everything the host sent within a short wait.
    Bytes BoardReceives(size_t count) const {
        Bytes got;
        while (got.size() < count) {
            pollfd entry{master, POLLIN, 0};
            if (poll(&entry, 1, 1000) <= 0) {
                break;
            }
            uint8_t buffer[64];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n <= 0) {
                break;
            }
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    TempConfigHome home;
    PosixSerialPort port{PortNames{home.Path(), {}}};
    int master = -1;
};

TEST_F(PosixSerialPortTest, LineIsRaw8N1AtTheRequestedRateAndCarriesBytesBothWays) {
    termios line{};
    ASSERT_EQ(tcgetattr(master, &line), 0);
    EXPECT_EQ(cfgetospeed(&line), B19200);
    EXPECT_EQ(line.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_NE(line.c_cflag & CLOCAL, 0u);
    EXPECT_EQ(line.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(line.c_iflag & (IXON | IXOFF | ICRNL), 0u);

    const Bytes command{'P', 0x0D, 0x0A, 0x11, 0x13, 0x00, 0xFF};
    EXPECT_EQ(port.Write(command.data(), command.size()), 7);
    EXPECT_EQ(BoardReceives(7), command);

    BoardSends({0x0D, 0x0A, 0x03, 0x11});
    Bytes reply(4);
    EXPECT_EQ(port.Read(reply.data(), reply.size()), 4);
    EXPECT_EQ(reply, (Bytes{0x0D, 0x0A, 0x03, 0x11}));
}

TEST_F(PosixSerialPortTest, ReadEndsAHundredMillisecondsAfterTheLastByte) {
    BoardSends({'Y', 0x01});
    std::thread late([this] {
        std::this_thread::sleep_for(milliseconds(600));
        BoardSends({0x00, 0x99});
    });
    const auto start = std::chrono::steady_clock::now();
    Bytes reply(4);
    const long got = port.Read(reply.data(), reply.size());
    const long elapsed = ElapsedMs(start);
    late.join();
    EXPECT_EQ(got, 2);
    EXPECT_GE(elapsed, 95);
    EXPECT_LT(elapsed, 500);

    ASSERT_TRUE(port.WaitForData(1000));
    std::this_thread::sleep_for(milliseconds(20));
    EXPECT_EQ(port.BytesWaiting(), 2u);
    port.PurgeReceive();
    EXPECT_EQ(port.BytesWaiting(), 0u);
}

TEST_F(PosixSerialPortTest, BytesWithShortGapsFormOneReply) {
    std::thread board([this] {
        for (const uint8_t b : {uint8_t{'M'}, uint8_t{'Z'}, uint8_t{'R'}}) {
            BoardSends({b});
            std::this_thread::sleep_for(milliseconds(40));
        }
    });
    Bytes reply(3);
    EXPECT_EQ(port.Read(reply.data(), reply.size()), 3);
    board.join();
    EXPECT_EQ(reply, (Bytes{'M', 'Z', 'R'}));
}

TEST_F(PosixSerialPortTest, MissingByteGivesUpAfterFourSecondsAndFifty) {
    const auto start = std::chrono::steady_clock::now();
    uint8_t b = 0;
    EXPECT_EQ(port.Read(&b, 1), 0);
    const long elapsed = ElapsedMs(start);
    EXPECT_GE(elapsed, 4050);
    EXPECT_LT(elapsed, 4600);
}

TEST_F(PosixSerialPortTest, WaitForDataSleepsUntilAByteOrTheTimeout) {
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(port.WaitForData(150));
    EXPECT_GE(ElapsedMs(start), 145);

    std::thread board([this] {
        std::this_thread::sleep_for(milliseconds(100));
        BoardSends({0x0D});
    });
    start = std::chrono::steady_clock::now();
    EXPECT_TRUE(port.WaitForData(5000));
    EXPECT_LT(ElapsedMs(start), 1000);
    board.join();
}

TEST_F(PosixSerialPortTest, HangUpEndsReadsAtOnce) {
    close(master);
    master = -1;
    const auto start = std::chrono::steady_clock::now();
    uint8_t b = 0;
    EXPECT_LE(port.Read(&b, 1), 0);
    EXPECT_FALSE(port.WaitForData(2000));
    EXPECT_LT(ElapsedMs(start), 1000);
}

TEST_F(PosixSerialPortTest, PortIsExclusiveOnlyWhileOpen) {
    // The board keeps its own end of the line open, as the simulated board does; exclusive
    // mode left behind would refuse the next scan step's open to anyone but root.
    port.Close();
    const int boardEnd = open(ptsname(master), O_RDWR | O_NOCTTY);
    ASSERT_GE(boardEnd, 0);
    auto exclusive = [boardEnd] {
        int state = -1;
        EXPECT_EQ(ioctl(boardEnd, TIOCGEXCL, &state), 0);
        return state;
    };
    ASSERT_TRUE(port.Open("COM1", 115200));
    EXPECT_EQ(exclusive(), 1);
    port.Close();
    EXPECT_EQ(exclusive(), 0);
    close(boardEnd);
}

TEST_F(PosixSerialPortTest, ClosedPortFailsAndAbsentPortsDoNotOpen) {
    port.Close();
    EXPECT_FALSE(port.IsOpen());
    uint8_t b = 0;
    EXPECT_EQ(port.Read(&b, 1), -1);
    EXPECT_EQ(port.Write(&b, 1), -1);

    home.Link("COM2", home.Path() / "nothing-here");
    EXPECT_FALSE(port.Open("COM2", 115200));  // dangling link
    EXPECT_FALSE(port.Open("COM3", 115200));  // no link, no fallback devices
    EXPECT_FALSE(port.Open("COM1", 12345));   // not a line rate
    EXPECT_TRUE(port.Open("COM1", 115200));
    EXPECT_TRUE(port.IsOpen());
}

}  // namespace
}  // namespace zentaro::test
