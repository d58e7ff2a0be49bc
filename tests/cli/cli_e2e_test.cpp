// SPDX-License-Identifier: GPL-3.0-or-later
// zentaro-cli run as a program: its signals, its streams and exit statuses, and a board on a
// pty linked in a private config home.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/cli_runner.h"
#include "cli/flat_json.h"
#include "link/temp_config_home.h"
#include "sim/sim_server.h"
#include "support/byte_pattern.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"

namespace zentaro::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kChip[] = "Mirval 3";
constexpr char kNoBoardText[] = "没有发现编程器目标板！   \nZentaro 1.37 汉化版 ";

class CliTest : public ::testing::Test {
protected:
    sim::SimServer& StartBoard(const std::string& port, std::vector<std::string> more = {}) {
        std::vector<std::string> args = {"--port", port, "--chip", kChip};
        args.insert(args.end(), more.begin(), more.end());
        boards.push_back(std::make_unique<sim::SimServer>(args, home.Path().string()));
        EXPECT_TRUE(boards.back()->Start()) << boards.back()->Error();
        return *boards.back();
    }

    CliRun Cli(std::vector<std::string> args) { return RunCli(args, home.Path().string()); }

    std::string WriteHexFile(const std::string& name, const Bytes& data) {
        WriteFile(PathOf(name), HexText({{0, data}}));
        return PathOf(name);
    }

    std::string PathOf(const std::string& name) const { return (home.Path() / name).string(); }

    TempConfigHome home;
    std::vector<std::unique_ptr<sim::SimServer>> boards;
};

TEST_F(CliTest, StopSignalsStopAtTheNextExchangeAndKeepTheEarlierFile) {
    // Byte by byte at the real line rate: a read of the whole flash takes seconds.
    sim::SimServer& board = StartBoard("COM1", {"--block-size", "0", "--pace"});
    const std::string path = PathOf("mine.hex");
    // The read writes to ".mine.hex." and six characters until it has the whole flash.
    const auto temporaryFiles = [&] {
        return std::ranges::count_if(
            std::filesystem::directory_iterator(home.Path()), [](const auto& entry) {
                return entry.path().filename().string().starts_with(".mine.hex.");
            });
    };
    // Each ends with 128 plus its number, as a shell reports a program the signal ended.
    const std::pair<int, int> kStops[] = {{SIGINT, 130}, {SIGTERM, 143}, {SIGHUP, 129}};
    for (const auto& stop : kStops) {
        SCOPED_TRACE(stop.first);
        std::ofstream(path) << "mine\n";
        const uint64_t before = board.Count().bytesIn;
        const CliRun run = RunCli(
            {"-y", "-p", "COM1", "-d", kChip, "read", "flash", path}, home.Path().string(),
            [&](pid_t cli) {
                for (int wait = 0; wait < 1000 && board.Count().bytesIn < before + 500; ++wait) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(10));
                }
                EXPECT_EQ(temporaryFiles(), 1);
                ::kill(cli, stop.first);
            });
        EXPECT_EQ(run.exitCode, stop.second) << run.out << run.err;
        EXPECT_NE(run.out.find("读取 Flash...   Canceled"), std::string::npos) << run.out;
        std::ifstream kept(path);
        EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "mine\n");
        EXPECT_EQ(temporaryFiles(), 0);
        EXPECT_FALSE(board.ProgrammingMode());
        EXPECT_TRUE(board.Lamps()[0]);
    }
}

TEST_F(CliTest, AJobStoppedByCtrlCGivesItsNumberBackAndNeverLocksTheChip) {
    sim::SimServer& board = StartBoard("COM1", {"--block-size", "0", "--pace"});
    WriteHexFile("firmware.hex", Pattern(8192, 3));
    std::ofstream(PathOf("line.toml"))
        << "device = \"" << kChip << "\"\n[flash]\nfile = \"firmware.hex\"\n"
        << "[fuses]\nlock = \"FC\"\n[serial]\nmemory = \"eeprom\"\naddress = 0\nsize = 2\n"
        << "start = 7\ncounter = \"serial.counter\"\n";
    const CliRun run = RunCli(
        {"-p", "COM1", "--json", "job", PathOf("line.toml")}, home.Path().string(), [&](pid_t cli) {
            for (int wait = 0; wait < 1000 && board.Count().bytesIn < 2000; ++wait) {
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            }
            ::kill(cli, SIGINT);
        });
    EXPECT_EQ(run.exitCode, 130) << run.err;
    EXPECT_NE(run.out.find(R"("steps":[{"name":"erase","result":"ok"},)"
                           R"({"name":"flash","result":"stopped"},)"
                           R"({"name":"serial","result":"stopped"},)"
                           R"({"name":"lock","result":"stopped"}],"ok":false,"exit":130)"),
              std::string::npos)
        << run.out;
    std::ifstream counter(PathOf("serial.counter"));
    const std::string left(std::istreambuf_iterator<char>(counter), {});
    // The next chip gets 7 again.
    EXPECT_TRUE(left.ends_with("next 7\n") || left.find("\nfree 7") != std::string::npos) << left;
    EXPECT_EQ(board.Config().lock, 0xFF);
}

TEST_F(CliTest, NoBoardEndsWithTheNoBoardTextAndStatusThree) {
    const std::string file = WriteHexFile("a.hex", Pattern(16, 1));
    const CliRun run = Cli({"-p", "COM2", "-b", "115200", "-d", kChip, "verify", "flash", file});
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_EQ(run.err, std::string(kNoBoardText) + "\n");
    EXPECT_EQ(run.out, "");

    // A port that exists but cannot be opened is named, with its reason, before that text.
    const std::string folder = home.Path().string();
    const CliRun unopenable = Cli({"-p", folder, "-d", kChip, "verify", "flash", file});
    EXPECT_EQ(unopenable.exitCode, 3);
    EXPECT_EQ(
        unopenable.err.rfind("以下串口存在，但无法打开：\n" + folder + " (" + folder + ")：", 0),
        0u)
        << unopenable.err;
    EXPECT_NE(unopenable.err.find(kNoBoardText), std::string::npos);
}

TEST_F(CliTest, BadFilesEndWithStatusFourBeforeTheBoardIsTouched) {
    sim::SimServer& board = StartBoard("COM1");
    std::ofstream(PathOf("text.hex")) << "this is no hex\n";
    const std::vector<std::vector<std::string>> runs = {
        {"program", "flash", PathOf("missing.hex")},
        {"program", "eeprom", PathOf("text.hex")},
        {"verify", "flash", home.Path().string()},
        {"program", "flash", PathOf("bad.ebn")},
        {"read", "flash", PathOf("no/such/folder/out.hex")},
    };
    std::ofstream(PathOf("bad.ebn")) << "short";
    for (std::vector<std::string> args : runs) {
        SCOPED_TRACE(args[2]);
        args.insert(args.begin(), {"-d", kChip, "--json"});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.exitCode, 4) << run.err;
        EXPECT_EQ(ParseFlatJson(run.out)["exit"], "4");
    }
    EXPECT_EQ(board.Count().bytesIn, 0u);
}

TEST_F(CliTest, JsonDescribesTheResult) {
    StartBoard("COM1");
    const std::string file = WriteHexFile("a.hex", Pattern(100, 3));
    const CliRun run = Cli({"--json", "-d", kChip, "program", "eeprom", file});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    auto fields = ParseFlatJson(run.out);
    EXPECT_EQ(fields["command"], "program eeprom");
    EXPECT_EQ(fields["device"], kChip);
    EXPECT_EQ(fields["port"], "COM1");
    EXPECT_EQ(fields["bytes"], "100");
    EXPECT_EQ(fields["ok"], "true");
    EXPECT_GT(std::stod(fields["seconds"]), 0.0);
    EXPECT_FALSE(fields["message"].empty());
}

TEST_F(CliTest, UsageErrorsEndWithStatusTwo) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"program", "flash"},
                                               {"read", "rom", "x.hex"},
                                               {"erase", "--low", "E2"},
                                               {"-d", "No Such Chip", "erase"},
                                               {"fuses", "--low", "1FF"},
                                               {"-b", "9600", "scan"},
                                               {"-p", "COM1", "-b", "12345", "scan"}}) {
        EXPECT_EQ(Cli(args).exitCode, 2);
    }
}

}  // namespace
}  // namespace zentaro::test
