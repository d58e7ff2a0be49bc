// SPDX-License-Identifier: GPL-3.0-or-later
// zentaro-cli job against simulated boards in memory: the chip after every step, the serial
// numbers across chips and boards, and the production record.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli/in_memory_cli.h"
#include "production/production_record.h"
#include "support/byte_pattern.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"

namespace zentaro::test {
namespace {

using Bytes = std::vector<uint8_t>;
using Json = nlohmann::json;

constexpr char kChip[] = "Mirval 3";  // 8 KiB flash, 512 bytes EEPROM, lock, low and high fuse

std::vector<Json> JsonLines(const std::string& text) {
    std::vector<Json> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(Json::parse(line));
    }
    return lines;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

class CliJobTest : public ::testing::Test {
protected:
    InMemoryBoard& StartBoard(const std::string& port, std::vector<std::string> more = {}) {
        return rack.StartBoard(port, std::move(more));
    }

    // A job file for kChip with the firmware and settings images beside it, and body after
    // the device line.
    std::string Job(const std::string& body) const {
        WriteFile(folder.Path("firmware.hex"), HexText({{0, firmware}}));
        WriteFile(folder.Path("settings.hex"), HexText({{0, settings}}));
        WriteFile(folder.Path("line.toml"), "device = \"" + std::string(kChip) + "\"\n" + body);
        return folder.Path("line.toml");
    }

    CliRun Cli(const std::vector<std::string>& args, const std::string& input = "") const {
        return rack.Cli(args, input);
    }

    // Every line of the file is a record the published schema accepts. The host's Python
    // checks it, which a test built for Windows and run under Wine cannot start; the records
    // come from the same code on every system.
    void ExpectRecordsMatchTheSchema([[maybe_unused]] const std::string& path) const {
#ifndef _WIN32
        const std::string command = std::string("python3 ") + ZENTARO_RECORD_CHECK + " " +
                                    ZENTARO_RECORD_SCHEMA + " " + path;
        EXPECT_EQ(std::system(command.c_str()), 0) << ReadText(path);
#endif
    }

    static constexpr char kSerialInEeprom[] =
        "[serial]\nmemory = \"eeprom\"\naddress = 0x10\nsize = 4\norder = \"big\"\n"
        "start = 1000\ncounter = \"serial.counter\"\n";

    TempDir folder;
    Bytes firmware = Pattern(600, 0x21);
    Bytes settings = Pattern(32, 0x40);
    BoardRack rack{kChip};
};

TEST_F(CliJobTest, EveryStepLeavesTheChipAsTheJobSaysAndTheRecordTellsIt) {
    InMemoryBoard& board = StartBoard("COM1");
    const std::string job =
        Job("[flash]\nfile = \"firmware.hex\"\n[eeprom]\nfile = \"settings.hex\"\n"
            "[fuses]\nlow = \"E2\"\nhigh = \"D8\"\nlock = \"FC\"\n" +
            std::string(kSerialInEeprom));
    const std::string log = folder.Path("record.jsonl");
    const CliRun run = Cli({"-p", "COM1", "--json", "job", job, "--log", log});
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;

    EXPECT_EQ(Bytes(board.Flash().begin(), board.Flash().begin() + 600), firmware);
    Bytes eeprom = settings;
    std::copy_n(Bytes{0x00, 0x00, 0x03, 0xE8}.begin(), 4, eeprom.begin() + 0x10);
    EXPECT_EQ(Bytes(board.Eeprom().begin(), board.Eeprom().begin() + 32), eeprom);
    EXPECT_EQ(board.Config().lowFuse, 0xE2);
    EXPECT_EQ(board.Config().highFuse, 0xD8);
    EXPECT_EQ(board.Config().lock, 0xFC);

    const std::vector<Json> records = JsonLines(run.out);
    ASSERT_EQ(records.size(), 1u);
    const Json& record = records[0];
    EXPECT_EQ(record["serial"], 1000);
    EXPECT_EQ(record["sha256"]["flash"], Sha256Hex(firmware));
    EXPECT_EQ(record["sha256"]["eeprom"], Sha256Hex(eeprom));
    EXPECT_EQ(record["fuses"], Json::parse(R"({"lock":"FC","low":"E2","high":"D8"})"));
    EXPECT_EQ(record["steps"],
              Json::parse(R"([{"name":"erase","result":"ok"},{"name":"flash","result":"ok"},
                              {"name":"eeprom","result":"ok"},{"name":"serial","result":"ok"},
                              {"name":"fuses","result":"ok"},{"name":"lock","result":"ok"}])"));
    EXPECT_EQ(ReadText(log), run.out);
    ExpectRecordsMatchTheSchema(log);
    EXPECT_NE(ReadText(folder.Path("serial.counter")).find("next 1001"), std::string::npos);
}

TEST_F(CliJobTest, ANumberAloneIsWrittenAndVerifiedWithoutTouchingTheRestOfTheMemory) {
    for (const char* memory : {"eeprom", "flash"}) {
        SCOPED_TRACE(memory);
        const bool flash = std::string(memory) == "flash";
        // Flash bits only go from 1 to 0: the number's place is blank.
        Bytes before = Pattern(flash ? 8192 : 512, 0x77);
        std::fill_n(before.begin() + 0x10, 4, 0xFF);
        InMemoryBoard& board = StartBoard("COM1");
        flash ? board.LoadFlash(before) : board.State().TargetChip().LoadEeprom(before);
        const std::string job = Job("erase = false\n[serial]\nmemory = \"" + std::string(memory) +
                                    "\"\naddress = 0x10\nsize = 4\norder = \"big\"\nstart = 1000\n"
                                    "counter = \"" +
                                    memory + ".counter\"\n");
        ASSERT_EQ(Cli({"-p", "COM1", "job", job}).exitCode, 0);
        Bytes expected = before;
        std::copy_n(Bytes{0x00, 0x00, 0x03, 0xE8}.begin(), 4, expected.begin() + 0x10);
        EXPECT_EQ(flash ? board.Flash() : board.Eeprom(), expected);
        rack.Clear();
    }
}

TEST_F(CliJobTest, AChipThatFailsToVerifyGivesItsNumberToTheNextChip) {
    // Byte by byte, so that the first EEPROM byte read back can be spoiled once.
    StartBoard("COM1", {"--block-size", "0", "--fault", "wrong:d@1=00"});
    const std::string job =
        Job("[eeprom]\nfile = \"settings.hex\"\n" + std::string(kSerialInEeprom));
    const std::string log = folder.Path("record.jsonl");
    const CliRun run = Cli({"-p", "COM1", "job", job, "--log", log, "--repeat"}, "\n");
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;

    const std::vector<Json> records = JsonLines(ReadText(log));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0]["serial"], 1000);
    EXPECT_FALSE(records[0]["ok"]);
    EXPECT_EQ(records[0]["steps"],
              Json::parse(R"([{"name":"erase","result":"ok"},{"name":"eeprom","result":"failed"},
                              {"name":"serial","result":"skipped"}])"));
    EXPECT_EQ(records[1]["serial"], 1000);
    EXPECT_TRUE(records[1]["ok"]);
    EXPECT_NE(run.err.find("COM1: failed at eeprom: "), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("1 chip passed, 1 failed; serial numbers used: 1000\n"),
              std::string::npos)
        << run.out;
    ExpectRecordsMatchTheSchema(log);
}

TEST_F(CliJobTest, EightBoardsAndTwentyFiveChipsEachShareOneCounterWithoutGapOrRepeat) {
    std::vector<std::string> args;
    for (int i = 1; i <= 8; ++i) {
        StartBoard("COM" + std::to_string(i));
        args.insert(args.end(), {"-p", "COM" + std::to_string(i)});
    }
    const std::string job =
        Job("[eeprom]\nfile = \"settings.hex\"\n" + std::string(kSerialInEeprom));
    args.insert(args.end(), {"--json", "-q", "job", job, "--repeat"});
    const CliRun run = Cli(args, std::string(24, '\n'));
    ASSERT_EQ(run.exitCode, 0) << run.err;

    std::vector<uint64_t> numbers;
    for (const Json& record : JsonLines(run.out)) {
        EXPECT_TRUE(record["ok"]) << record.dump();
        numbers.push_back(record["serial"]);
    }
    std::sort(numbers.begin(), numbers.end());
    std::vector<uint64_t> expected(200);
    std::iota(expected.begin(), expected.end(), 1000);
    EXPECT_EQ(numbers, expected);
    for (const auto& board : rack.Boards()) {
        // Each board's chip holds the number of its last round.
        const auto& eeprom = board->Eeprom();
        const uint64_t last = uint64_t{eeprom[0x12]} << 8 | eeprom[0x13];
        EXPECT_GE(last, 1000u + 8 * 24);
    }
}

TEST_F(CliJobTest, AJobThatCannotRunIsRefusedBeforeAnyBoardIsAsked) {
    InMemoryBoard& board = StartBoard("COM1");
    WriteFile(folder.Path("text.hex"), "this is no firmware\n");
    struct Case {
        std::string body;
        int exit;
        std::string said;
    };
    const std::vector<Case> cases = {
        {"colour = \"red\"\n", 2, "line 2: unknown key colour"},
        {"[flash]\nfile = \"missing.hex\"\n", 4, "line 3: flash.file: cannot read"},
        {"[flash]\nfile = \"text.hex\"\n", 4, "flash.file: " + folder.Path("text.hex") + ": "},
        {"[fuses]\nlow = \"E\"\n", 2, "line 3: fuses.low must be two hex digits"},
        {"[serial]\nmemory = \"eeprom\"\naddress = 510\nsize = 4\ncounter = \"c\"\n", 2,
         "serial.address 510 and serial.size 4 reach beyond the EEPROM"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        const CliRun run = Cli({"-p", "COM1", "job", Job(c.body)});
        EXPECT_EQ(run.exitCode, c.exit);
        EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
    }
    EXPECT_EQ(board.WireLog(), "");
}

}  // namespace
}  // namespace zentaro::test
