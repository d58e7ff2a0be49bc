// SPDX-License-Identifier: GPL-3.0-or-later
// zentaro-cli run as a program against simulated boards on ptys linked in a private config
// home: what it prints, its exit status, the chip and the files it leaves.

#include <gtest/gtest.h>
#include <signal.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_runner.h"
#include "link/temp_config_home.h"
#include "sim/sim_server.h"

namespace zentaro::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kChip[] = "Mirval 3";  // 8 KiB flash, 512 bytes EEPROM, lock, low and high fuse
constexpr char kNoBoardText[] = "没有发现编程器目标板！   \nZentaro 1.37 汉化版 ";

std::string Record(uint8_t type, uint16_t address, const Bytes& data) {
    Bytes record = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                    static_cast<uint8_t>(address), type};
    record.insert(record.end(), data.begin(), data.end());
    uint8_t sum = 0;
    std::string line = ":";
    char digits[3];
    for (uint8_t b : record) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
        sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(digits, sizeof digits, "%02X", static_cast<uint8_t>(-sum));
    return line + digits + "\n";
}

// Intel HEX as a read writes it: a segment record before every 64 KiB, sixteen bytes a line.
std::string HexText(const Bytes& memory) {
    std::string text;
    for (size_t a = 0; a < memory.size(); a += 16) {
        if (a % 0x10000 == 0) {
            text += Record(2, 0, {static_cast<uint8_t>(a >> 12), 0});
        }
        text += Record(0, static_cast<uint16_t>(a),
                       Bytes(memory.begin() + static_cast<long>(a),
                             memory.begin() + static_cast<long>(a + 16)));
    }
    return text + ":00000001FF\n";
}

Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 3));
    }
    return bytes;
}

std::string Slurp(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// The values of a flat JSON object: strings unescaped (\n and \" only), other values as typed.
std::map<std::string, std::string> ParseFlatJson(const std::string& text) {
    std::map<std::string, std::string> fields;
    size_t i = text.find('{');
    auto readString = [&](size_t& at) {
        std::string value;
        for (++at; at < text.size() && text[at] != '"'; ++at) {
            if (text[at] == '\\') {
                ++at;
                value += text[at] == 'n' ? '\n' : text[at];
            } else {
                value += text[at];
            }
        }
        ++at;
        return value;
    };
    while (i != std::string::npos && i < text.size() && text[i] != '}') {
        i = text.find('"', i);
        if (i == std::string::npos) {
            break;
        }
        const std::string key = readString(i);
        i = text.find_first_not_of(" :", i);
        if (text[i] == '"') {
            fields[key] = readString(i);
        } else {
            const size_t end = text.find_first_of(",}", i);
            fields[key] = text.substr(i, end - i);
            i = end;
        }
        i = text.find_first_of(",}", i);
    }
    return fields;
}

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

    std::string WriteHex(const std::string& name, const Bytes& data) {
        const std::string path = (home.Path() / name).string();
        std::string text;
        for (size_t a = 0; a < data.size(); a += 16) {
            text += Record(0, static_cast<uint16_t>(a),
                           Bytes(data.begin() + static_cast<long>(a),
                                 data.begin() + static_cast<long>(std::min(a + 16, data.size()))));
        }
        std::ofstream(path) << text << ":00000001FF\n";
        return path;
    }

    std::string PathOf(const std::string& name) const { return (home.Path() / name).string(); }

    TempConfigHome home;
    std::vector<std::unique_ptr<sim::SimServer>> boards;
};

TEST_F(CliTest, FlashAndEepromAreProgrammedVerifiedAndReadBackByteForByte) {
    sim::SimServer& board = StartBoard("COM1");
    struct Case {
        const char* memory;
        Bytes data;
        const char* programEnding;
        const char* verifyEnding;
    };
    const std::vector<Case> cases = {
        {"flash", Pattern(320, 0x11), "擦除芯片...      编程...       检验...     OK",
         "校验 Flash...     OK"},
        {"eeprom", Pattern(48, 0x5A), nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.memory);
        const std::string file = WriteHex(std::string(c.memory) + ".hex", c.data);
        const CliRun program = Cli({"-d", kChip, "program", c.memory, file});
        EXPECT_EQ(program.exitCode, 0) << program.out << program.err;
        const bool flash = std::string(c.memory) == "flash";
        const Bytes chip = flash ? board.Flash() : board.Eeprom();
        EXPECT_EQ(Bytes(chip.begin(), chip.begin() + static_cast<long>(c.data.size())), c.data);
        if (c.programEnding != nullptr) {
            EXPECT_EQ(program.out, std::string(c.programEnding) + "\n");
        }

        const CliRun verify = Cli({"-p", "COM1", "-d", kChip, "verify", c.memory, file});
        EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
        if (c.verifyEnding != nullptr) {
            EXPECT_EQ(verify.out, std::string(c.verifyEnding) + "\n");
        }

        const std::string readBack = PathOf(std::string(c.memory) + "-read.hex");
        const CliRun read = Cli({"-d", kChip, "read", c.memory, readBack});
        EXPECT_EQ(read.exitCode, 0) << read.out << read.err;
        EXPECT_EQ(Slurp(readBack), HexText(flash ? board.Flash() : board.Eeprom()));

        // The file exists now: without a terminal the overwrite question is declined, and said.
        const CliRun again = Cli({"-d", kChip, "read", c.memory, readBack});
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_NE(again.out.find("declined"), std::string::npos) << again.out;
        EXPECT_EQ(Cli({"-y", "-d", kChip, "read", c.memory, readBack}).exitCode, 0);
    }
}

TEST_F(CliTest, VerifyMismatchFailsWithTheMismatchText) {
    StartBoard("COM1");
    const std::string file = WriteHex("one.hex", {0x44, 0x20});
    const CliRun run = Cli({"-d", kChip, "verify", "flash", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "   地址: 0x0000, 原始数据: 0x2044, 芯片数据: 0xffff\n校验 Flash...     失败  \n");
}

TEST_F(CliTest, FusesAreShownDecodedAndOnlyTheBytesAskedForAreWritten) {
    sim::SimServer& board =
        StartBoard("COM1", {"--lock", "0xFF", "--low-fuse", "0xE1", "--high-fuse", "0xD9"});
    const CliRun shown = Cli({"-d", kChip, "fuses"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("low       E1  read write\nhigh      D9  read write\n"),
              std::string::npos)
        << shown.out;
    EXPECT_EQ(shown.out.find("extended"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Lock mode: 方式 1\n"), std::string::npos) << shown.out;

    const CliRun written = Cli({"-d", kChip, "--json", "fuses", "--high", "D8"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(board.Config().highFuse, 0xD8);
    EXPECT_EQ(board.Config().lowFuse, 0xE1);
    EXPECT_EQ(board.Config().lock, 0xFF);
    EXPECT_EQ(ParseFlatJson(written.out)["message"], "lock=FF low=E1 high=D8");

    const uint64_t before = board.Count().bytesIn;
    const CliRun refused = Cli({"-d", kChip, "fuses", "--low", "E2", "--ext", "00"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("this device has no extended byte"), std::string::npos)
        << refused.err;
    EXPECT_EQ(board.Config().lowFuse, 0xE1);
    EXPECT_GT(board.Count().bytesIn, before);  // it did look at the board first
}

TEST_F(CliTest, AnUnansweredFuseReadIsAFailureNotAnFFByte) {
    // The first pass-through is the calibration read, the second the lock byte.
    StartBoard("COM1", {"--fault", "drop:0x3A@2"});
    const CliRun run = Cli({"-d", kChip, "fuses"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("the board did not answer every read"), std::string::npos) << run.err;
}

TEST_F(CliTest, FuseWritesTakeTheDeviceWriteFormAndTheBoardTypeRights) {
    // An old-style device on a serial board: the low fuse bits travel inside the instruction.
    const std::string log = PathOf("wire.log");
    sim::SimServer& board = StartBoard("COM1", {"--chip", "Orlan 6", "--log", log});
    EXPECT_EQ(Cli({"-d", "Orlan 6", "fuses", "--low", "DE"}).exitCode, 0);
    board.Stop();
    const std::string wire = Slurp(log);
    EXPECT_NE(wire.find("host: 3A AC BE 00 "), std::string::npos) << wire;
    EXPECT_EQ(wire.find("host: 6C"), std::string::npos) << "a lock byte nobody asked for";

    // Fuses and reads are parallel-only on this device: refused before anything is written.
    sim::SimServer& parallelOnly = StartBoard("COM2", {"--chip", "Orlan 1"});
    const uint8_t lowBefore = parallelOnly.Config().lowFuse;
    const CliRun refused = Cli({"-p", "COM2", "-d", "Orlan 1", "fuses", "--low", "00"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("may not write the low byte"), std::string::npos) << refused.err;
    EXPECT_EQ(parallelOnly.Config().lowFuse, lowBefore);
    const CliRun shown = Cli({"-p", "COM2", "-d", "Orlan 1", "fuses"});
    EXPECT_NE(shown.out.find("low       --  no read no write\n"), std::string::npos) << shown.out;
}

TEST_F(CliTest, CtrlCStopsAtTheNextExchangeAndKeepsTheEarlierFile) {
    // Byte by byte at the real line rate: a read of the whole flash takes seconds.
    sim::SimServer& board = StartBoard("COM1", {"--block-size", "0", "--pace"});
    const std::string path = PathOf("mine.hex");
    std::ofstream(path) << "mine\n";
    const CliRun run =
        RunCli({"-y", "-p", "COM1", "-d", kChip, "read", "flash", path}, home.Path().string(),
               [&](pid_t cli) {
                   for (int wait = 0; wait < 1000 && board.Count().bytesIn < 2000; ++wait) {
                       std::this_thread::sleep_for(std::chrono::milliseconds(10));
                   }
                   ::kill(cli, SIGINT);
               });
    EXPECT_EQ(run.exitCode, 130) << run.out << run.err;
    EXPECT_NE(run.out.find("读取 Flash...   Canceled"), std::string::npos) << run.out;
    std::ifstream kept(path);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "mine\n");
    EXPECT_FALSE(board.ProgrammingMode());
    EXPECT_TRUE(board.Lamps()[0]);
}

TEST_F(CliTest, NoBoardEndsWithTheNoBoardTextAndStatusThree) {
    const std::string file = WriteHex("a.hex", Pattern(16, 1));
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
    const std::string file = WriteHex("a.hex", Pattern(100, 3));
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
                                               {"-b", "9600", "scan"}}) {
        EXPECT_EQ(Cli(args).exitCode, 2);
    }
}

TEST_F(CliTest, ThreeBoardsAreProgrammedInParallelByOneCommand) {
    const std::vector<std::string> ports = {"COM1", "COM2", "COM3"};
    for (const std::string& port : ports) {
        StartBoard(port);
    }
    const Bytes data = Pattern(256, 0x42);
    const std::string file = WriteHex("a.hex", data);
    const CliRun run = Cli({"-p", "COM1", "-p", "COM2", "-p", "COM3", "-d", kChip, "--json",
                            "program", "flash", file});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const auto& board : boards) {
        const Bytes flash = board->Flash();
        EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 256), data);
    }
    EXPECT_NE(run.err.find("COM2  ok"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\"boards\":[{"), std::string::npos) << run.out;

    // One board failing makes the whole command fail with its status.
    boards[1]->Stop();
    EXPECT_EQ(Cli({"-p", "COM1", "-p", "COM2", "-d", kChip, "verify", "flash", file}).exitCode, 3);
}

}  // namespace
}  // namespace zentaro::test
