// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <thread>

#include "production/production_record.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

using nlohmann::json;
using test::ReadFile;
using test::TempDir;

ProductionRecord FullRecord() {
    ProductionRecord record;
    record.time = std::chrono::system_clock::from_time_t(1796797800);  // 2026-12-09 06:30:00 UTC
    record.port = "COM2";
    record.board = "MZR-SIM";
    record.device = "Mirval 10";
    record.signature = "1E 97 02";
    record.flashSha256 = std::string(64, 'a');
    record.eepromSha256 = std::string(64, 'b');
    record.serial = 1003;
    record.fuses = {0xFC, 0xE2, std::nullopt, 0x0F};
    record.steps = {{"erase", StepResult::Ok},
                    {"flash", StepResult::Failed},
                    {"eeprom", StepResult::Skipped},
                    {"lock", StepResult::Stopped}};
    record.ok = false;
    record.exit = 1;
    record.seconds = 12.3456;
    record.message = "校验 Flash...     错误";
    return record;
}

TEST(ProductionRecord, WritesEveryKeyInOrderWithItsType) {
    const std::string line = RecordJson(FullRecord());
    EXPECT_EQ(line.find('\n'), std::string::npos);
    EXPECT_EQ(nlohmann::ordered_json::parse(line), nlohmann::ordered_json::parse(R"({
        "schema": 1, "time": "2026-12-09T06:30:00Z", "port": "COM2", "board": "MZR-SIM",
        "device": "Mirval 10", "signature": "1E 97 02",
        "sha256": {"flash": "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa",
                   "eeprom": "bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb"},
        "serial": 1003, "fuses": {"lock": "FC", "low": "E2", "extended": "0F"},
        "steps": [{"name": "erase", "result": "ok"}, {"name": "flash", "result": "failed"},
                  {"name": "eeprom", "result": "skipped"}, {"name": "lock", "result": "stopped"}],
        "ok": false, "exit": 1, "seconds": 12.346, "message": "校验 Flash...     错误"})"));
}

TEST(ProductionRecord, WritesNullAndEmptyForWhatDidNotHappen) {
    ProductionRecord record;
    record.message = std::string("port \xff\xfe gone");
    const json parsed = json::parse(RecordJson(record));
    EXPECT_TRUE(parsed["signature"].is_null());
    EXPECT_TRUE(parsed["serial"].is_null());
    EXPECT_EQ(parsed["sha256"], json::object());
    EXPECT_EQ(parsed["fuses"], json::object());
    EXPECT_EQ(parsed["steps"], json::array());
    EXPECT_EQ(parsed["message"], "port \uFFFD\uFFFD gone");
}

TEST(ProductionRecord, Sha256MatchesTheStandardVectors) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
         "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        {std::string(1000000, 'a'),
         "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto& [text, digest] : cases) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
        EXPECT_EQ(Sha256Hex({bytes, text.size()}), digest) << text.substr(0, 10);
    }
}

TEST(ProductionRecord, LinesFromManyBoardsNeverMix) {
    constexpr int kBoards = 8;
    constexpr int kChips = 20;
    TempDir dir;
    const std::string path = dir.Path("line.log");
    test::WriteFile(path, "{\"earlier\":true}\n");
    std::string error;
    auto log = RecordLog::Open(path, error);
    ASSERT_TRUE(log) << error;
    std::vector<std::thread> boards;
    for (int board = 0; board < kBoards; ++board) {
        boards.emplace_back([&, board] {
            ProductionRecord record = FullRecord();
            record.port = "COM" + std::to_string(board);
            // Long enough that a line written in pieces would show.
            record.message = std::string(5000, 'x');
            for (int chip = 0; chip < kChips; ++chip) {
                record.serial = static_cast<uint64_t>(chip);
                EXPECT_EQ(log->Append(record), "");
            }
        });
    }
    for (std::thread& board : boards) {
        board.join();
    }
    std::istringstream lines(ReadFile(path));
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "{\"earlier\":true}");
    std::set<std::pair<std::string, uint64_t>> seen;
    size_t count = 0;
    for (; std::getline(lines, line); ++count) {
        const json record = json::parse(line);
        seen.emplace(record["port"], record["serial"]);
    }
    EXPECT_EQ(count, size_t{kBoards * kChips});
    EXPECT_EQ(seen.size(), count);
}

}  // namespace
}  // namespace zentaro
