// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "sim/pty_port.h"
#include "sim/wire.h"
#include "support/temp_dir.h"

namespace zentaro::sim {
namespace {

using Clock = std::chrono::steady_clock;
using test::Wire;

// The host's end of the line, opened with plain POSIX calls through the COM link.
class HostLine {
public:
    HostLine(const std::string& path, unsigned baud) {
        fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
        if (fd_ < 0) {
            return;
        }
        termios tio{};
        tcgetattr(fd_, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, SpeedConstant(baud));
        cfsetospeed(&tio, SpeedConstant(baud));
        tcsetattr(fd_, TCSANOW, &tio);
    }
    ~HostLine() {
        if (fd_ >= 0) {
            close(fd_);
        }
    }
    bool Open() const { return fd_ >= 0; }
    void Send(const std::string& bytes) {
        ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Reads until n bytes came or the time is up.
    std::string Receive(size_t n, std::chrono::milliseconds within) {
        std::string got;
        const auto end = Clock::now() + within;
        while (got.size() < n) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now());
            pollfd fd{fd_, POLLIN, 0};
            if (left.count() <= 0 || poll(&fd, 1, static_cast<int>(left.count())) <= 0) {
                break;
            }
            char buffer[4096];
            const ssize_t count = read(fd_, buffer, std::min(sizeof buffer, n - got.size()));
            if (count <= 0) {
                break;
            }
            got.append(buffer, static_cast<size_t>(count));
        }
        return got;
    }

private:
    int fd_ = -1;
};

class SimServerTest : public ::testing::Test {
protected:
    std::string Home() const { return home_.Root().string(); }

    zentaro::test::TempDir home_;
};

TEST_F(SimServerTest, AnswersThroughTheLinkedPtyAndRemovesTheLink) {
    const std::string link = Home() + "/Veltrona/Zentaro/ports/COM3";
    std::filesystem::create_directories(std::filesystem::path(link).parent_path());
    std::filesystem::create_symlink("/nonexistent/pts", link);  // left by an earlier run

    SimServer sim({"--port", "COM3"}, Home());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    EXPECT_EQ(sim.LinkPath(), link);
    EXPECT_EQ(std::filesystem::read_symlink(link), sim.SlavePath());
    {
        HostLine host(link, 115200);
        ASSERT_TRUE(host.Open());
        host.Send(Wire("1B 1B 1B 1B 'S"));
        EXPECT_EQ(host.Receive(7, std::chrono::seconds(2)), "MZR-SIM");
    }
    {
        // The host closed its side; the next scan step opens it again.
        HostLine host(link, 115200);
        host.Send("a");
        EXPECT_EQ(host.Receive(1, std::chrono::seconds(2)), "Y");
    }
    EXPECT_EQ(sim.Count().exchanges, 2u);
    sim.Stop();
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));
}

TEST_F(SimServerTest, BytesAtAnotherRateAreDroppedAndLogged) {
    const std::string log = Home() + "/wire.log";
    SimServer sim({"--baud", "19200", "--log", log}, Home());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    {
        HostLine host(sim.LinkPath(), 115200);
        host.Send("S");
        EXPECT_EQ(host.Receive(1, std::chrono::milliseconds(300)), "");
    }
    HostLine host(sim.LinkPath(), 19200);
    host.Send("S");
    EXPECT_EQ(host.Receive(7, std::chrono::seconds(2)), "MZR-SIM");
    EXPECT_EQ(sim.Count().bytesIn, 1u);
    sim.Stop();
    std::ifstream in(log);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("dropped 1 byte(s) sent at 115200 baud\n"), std::string::npos) << text;
    EXPECT_NE(text.find("'S'      host: 53  board: 4D 5A 52 2D 53 49 4D"), std::string::npos)
        << text;
}

TEST_F(SimServerTest, LateReplyHoldsBackItsBytes) {
    SimServer sim({"--fault", "late:S=400"}, Home());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    HostLine host(sim.LinkPath(), 115200);
    host.Send("Sa");
    EXPECT_EQ(host.Receive(1, std::chrono::milliseconds(200)), "");
    EXPECT_EQ(host.Receive(8, std::chrono::seconds(3)), "MZR-SIMY");
}

TEST_F(SimServerTest, PacingTakesTheLineTime) {
    SimServer sim({"--pace", "--chip", "Mirval 10"}, Home());
    ASSERT_TRUE(sim.Start()) << sim.Error();
    HostLine host(sim.LinkPath(), 115200);
    const auto start = Clock::now();
    // 4096 bytes at 115200 baud and 10 bits a byte take 356 ms on the wire.
    host.Send(Wire("'P 'A 00 00 'g 10 00 'F"));
    const std::string reply = host.Receive(2 + 4096, std::chrono::seconds(5));
    const auto elapsed = Clock::now() - start;
    EXPECT_EQ(reply.size(), 2u + 4096u);
    EXPECT_GE(elapsed, std::chrono::milliseconds(350));
    EXPECT_LT(elapsed, std::chrono::milliseconds(1500));
    const Counters count = sim.Count();
    EXPECT_EQ(count.bytesIn, 8u);
    EXPECT_EQ(count.bytesOut, 4098u);
    EXPECT_EQ(count.exchanges, 3u);
}

TEST_F(SimServerTest, StateIsSavedWhenTheHostLeavesProgrammingModeAndLoadedNextRun) {
    const std::string state = Home() + "/chip.state";
    {
        SimServer sim({"--state", state, "--chip", "Mirval 8"}, Home());
        ASSERT_TRUE(sim.Start()) << sim.Error();
        HostLine host(sim.LinkPath(), 115200);
        host.Send(Wire("'P 'A 00 00 'B 00 02 'F 12 34 'A 00 02 'D 56 'n 77 'L"));
        EXPECT_EQ(host.Receive(7, std::chrono::seconds(2)), std::string(7, '\r'));
        EXPECT_TRUE(std::filesystem::exists(state));  // saved before the board stops
    }
    SimServer next({"--state", state, "--chip", "Mirval 8"}, Home());
    EXPECT_EQ(next.Flash()[0], 0x12);
    EXPECT_EQ(next.Flash()[1], 0x34);
    EXPECT_EQ(next.Eeprom()[2], 0x56);
    EXPECT_EQ(next.Config().highFuse, 0x77);
}

TEST_F(SimServerTest, PreloadsFromFilesAndSetters) {
    const std::string image = Home() + "/flash.bin";
    std::ofstream(image, std::ios::binary) << "\x01\x02";
    SimServer sim({"--flash-image", image, "--lock", "0xFC"}, Home());
    EXPECT_EQ(sim.Error(), "");
    EXPECT_EQ(sim.Flash().size(), 131072u);
    EXPECT_EQ(sim.Flash()[1], 0x02);
    EXPECT_EQ(sim.Config().lock, 0xFC);
    sim.LoadEeprom(std::vector<uint8_t>{0x99});
    EXPECT_EQ(sim.Eeprom()[0], 0x99);
}

TEST_F(SimServerTest, NeverTakesOverALinkThatLeadsToAPort) {
    const std::filesystem::path link = home_.Root() / "Veltrona/Zentaro/ports/COM1";
    const std::filesystem::path board = home_.Root() / "real-board";
    std::ofstream(board).put('x');
    std::filesystem::create_directories(link.parent_path());
    std::filesystem::create_symlink(board, link);

    SimServer sim({"--port", "COM1"}, Home());
    EXPECT_FALSE(sim.Start());
    EXPECT_NE(sim.Error().find("already leads to"), std::string::npos) << sim.Error();
    sim.Stop();
    EXPECT_EQ(std::filesystem::read_symlink(link), board);
}

TEST_F(SimServerTest, StartFailsWithAReason) {
    SimServer unknown({"--chip", "Nope"}, Home());
    EXPECT_FALSE(unknown.Start());
    EXPECT_EQ(unknown.Error(), "unknown chip \"Nope\"");
    SimServer badOption({"--level"}, Home());
    EXPECT_FALSE(badOption.Start());
    EXPECT_EQ(badOption.Error(), "option --level needs a value");
    SimServer missingImage({"--flash-image", Home() + "/missing.bin"}, Home());
    EXPECT_FALSE(missingImage.Start());
    EXPECT_FALSE(std::filesystem::exists(Home() + "/Veltrona"));
}

}  // namespace
}  // namespace zentaro::sim
