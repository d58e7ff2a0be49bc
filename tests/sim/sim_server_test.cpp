// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/sim_server.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

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

// A pseudo-terminal device that does not exist, such as one a user pinned a port to.
std::string AbsentPty() {
    for (int n = 9000;; ++n) {
        const std::string path = "/dev/pts/" + std::to_string(n);
        if (!std::filesystem::exists(path)) {
            return path;
        }
    }
}

// Runs zentaro-sim on the port until it has linked it, then kills it as a crash would, so
// that it leaves its link behind.
void KillABoardOn(const std::string& configHome, const std::string& port) {
    int ready[2];
    ASSERT_EQ(pipe(ready), 0);
    const char* argv[] = {ZENTARO_SIM_PATH, "--config-home", configHome.c_str(),
                          "--port",         port.c_str(),    nullptr};
    const pid_t board = fork();
    if (board == 0) {
        dup2(ready[1], STDOUT_FILENO);
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    close(ready[1]);
    // Its first line says that the port is linked.
    char c = 0;
    while (read(ready[0], &c, 1) == 1 && c != '\n') {
    }
    close(ready[0]);
    kill(board, SIGKILL);
    waitpid(board, nullptr, 0);
}

TEST_F(SimServerTest, ReplacesOnlyALinkABoardLeftBehind) {
    namespace fs = std::filesystem;
    struct Row {
        const char* what;
        bool killedBoardFirst;  // a board that was killed left its link first
        fs::path target;  // the user's link, made after that; a relative one is made under the
                          // config home; empty: none
        bool targetExists;
        bool replaced;
        const char* error;  // a part of the refusal
    };
    const Row rows[] = {
        {"a pinned port that is there", false, "real-board", true, false, "already leads to"},
        {"a pinned adapter that is unplugged", false, "ttyUSB0", false, false,
         "which is not there"},
        {"a pin to a pseudo-terminal that is gone", false, AbsentPty(), false, false,
         "which is not there"},
        {"a killed board's link", true, {}, false, true, ""},
        {"a pin made over a killed board's link", true, "ttyUSB0", false, false,
         "which is not there"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const fs::path link = home_.Root() / "Veltrona/Zentaro/ports/COM1";
        if (row.killedBoardFirst) {
            KillABoardOn(Home(), "COM1");
            ASSERT_FALSE(fs::exists(link));  // its pseudo-terminal went with it
        }
        if (!row.target.empty()) {
            const fs::path target = home_.Root() / row.target;
            fs::create_directories(link.parent_path());
            if (row.targetExists) {
                std::ofstream(target).put('x');
            }
            fs::remove(link);
            fs::create_symlink(target, link);
        }
        const fs::path before = fs::read_symlink(link);

        SimServer sim({"--port", "COM1"}, Home());
        EXPECT_EQ(sim.Start(), row.replaced);
        EXPECT_NE(sim.Error().find(row.error), std::string::npos) << sim.Error();
        EXPECT_EQ(fs::read_symlink(link), row.replaced ? fs::path(sim.SlavePath()) : before);
        sim.Stop();
        EXPECT_EQ(fs::is_symlink(fs::symlink_status(link)), !row.replaced);
        if (row.replaced) {  // nothing of either board is left
            EXPECT_TRUE(fs::is_empty(link.parent_path()));
        }
        fs::remove_all(home_.Root() / "Veltrona");
    }
}

// ./do run puts its demo board on the port ./do demo-port names.
TEST_F(SimServerTest, TheDemoBoardGoesWhereNoLinkOfTheUsersIs) {
    namespace fs = std::filesystem;
    struct Row {
        std::vector<fs::path> links;  // targets of COM1, COM2 ...; a relative one is made
                                      // under the config home; empty: a killed board's
        const char* says;
    };
    const std::string ownHome =
        "The simulated board is on COM1 under a configuration home "
        "of the demo's own (COM1 to COM4 all have links of yours; "
        "settings changed in this run are not kept).\n";
    const Row rows[] = {
        {{}, "The simulated board is on COM1.\n"},
        {{"ttyUSB0"}, "The simulated board is on COM2 (COM1 has a link of yours).\n"},
        {{AbsentPty()}, "The simulated board is on COM2 (COM1 has a link of yours).\n"},
        {{fs::path()}, "The simulated board is on COM1.\n"},
        {{"real-board", "ttyUSB0", "ttyUSB1"},
         "The simulated board is on COM4 (COM1, COM2 and COM3 have links of yours).\n"},
        {{"ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"}, ownHome.c_str()},
    };
    std::ofstream(home_.Root() / "real-board").put('x');
    for (const Row& row : rows) {
        const fs::path ports = home_.Root() / "Veltrona/Zentaro/ports";
        fs::remove_all(ports);
        fs::create_directories(ports);
        for (size_t i = 0; i < row.links.size(); ++i) {
            const std::string port = "COM" + std::to_string(i + 1);
            if (row.links[i].empty()) {
                KillABoardOn(Home(), port);
            } else {
                fs::create_symlink(home_.Root() / row.links[i], ports / port);
            }
        }
        const std::string command =
            "XDG_CONFIG_HOME='" + Home() + "' '" ZENTARO_DO_PATH "' demo-port";
        std::FILE* out = popen(command.c_str(), "r");
        ASSERT_NE(out, nullptr);
        std::string said;
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
            said += buffer;
        }
        EXPECT_EQ(pclose(out), 0);
        EXPECT_EQ(said, row.says);
    }
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
