// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_writer.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "images/hex_reader.h"
#include "operations/file_questions.h"
#include "support/recording_panel.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

// The output file as the read commands create it, with their questions.
std::unique_ptr<HexOutput> CreateHexOutput(const std::string& path, Panel& panel) {
    return zentaro::CreateHexOutput(CreateOutputFile(path, panel));
}

using test::ReadFile;
using test::RecordingPanel;
using test::TempDir;
using test::WriteFile;

const std::string kExistsQuestion = "\n这个文件已经存在.        \n覆盖这个文件吗?       ";
const std::string kCannotCreate = "不能建立输出文件            ";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        lines.push_back(line);
    }
    return lines;
}

// The whole write as the read commands do it; returns the file's text.
std::string WriteMemory(const std::vector<uint8_t>& memory) {
    TempDir dir;
    RecordingPanel panel;
    const std::string path = dir.Path("out.hex");
    auto output = CreateHexOutput(path, panel);
    EXPECT_TRUE(output &&
                WriteHexRecords(*output, memory.data(), static_cast<uint32_t>(memory.size())) &&
                output->WriteEndRecord() && output->Commit());
    EXPECT_TRUE(panel.Log().empty());
    return ReadFile(path);
}

TEST(HexWriterTest, SixtyFourByteEeprom) {
    std::vector<uint8_t> memory(64);
    for (size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(WriteMemory(memory),
              ":020000020000FC\n"
              ":10000000000102030405060708090A0B0C0D0E0F78\n"
              ":10001000101112131415161718191A1B1C1D1E1F68\n"
              ":10002000202122232425262728292A2B2C2D2E2F58\n"
              ":10003000303132333435363738393A3B3C3D3E3F48\n"
              ":00000001FF\n");
}

TEST(HexWriterTest, BlankChipWritesEveryGroup) {
    const auto lines = Lines(WriteMemory(std::vector<uint8_t>(8192, 0xFF)));
    ASSERT_EQ(lines.size(), 1u + 512u + 1u);
    const std::string blank(32, 'F');
    EXPECT_EQ(lines[1], ":10000000" + blank + "00");
    EXPECT_EQ(lines[2], ":10001000" + blank + "F0");
    EXPECT_EQ(lines[512], ":101FF000" + blank + "F1");
}

TEST(HexWriterTest, LargeFlashGetsASegmentRecordAtEach64KiB) {
    const auto lines = Lines(WriteMemory(std::vector<uint8_t>(0x20000, 0xFF)));
    ASSERT_EQ(lines.size(), 2u + 8192u + 1u);
    EXPECT_EQ(lines[0], ":020000020000FC");
    EXPECT_EQ(lines[4096].substr(0, 9), ":10FFF000");
    EXPECT_EQ(lines[4097], ":020000021000EC");
    EXPECT_EQ(lines[4098].substr(0, 9), ":10000000");
    EXPECT_EQ(lines.back(), ":00000001FF");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& l) { return l.starts_with(":02"); }),
              2);
}

TEST(HexWriterTest, MemoryShorterThanAGroupGivesOnlyTheEndRecord) {
    EXPECT_EQ(WriteMemory({}), ":00000001FF\n");
    EXPECT_EQ(WriteMemory(std::vector<uint8_t>(8, 0)), ":00000001FF\n");
}

TEST(HexWriterTest, RefusesMoreThanSegmentRecordsCanAddress) {
    TempDir dir;
    RecordingPanel panel;
    auto output = CreateHexOutput(dir.Path("big.hex"), panel);
    const std::vector<uint8_t> memory(0x100010);
    EXPECT_FALSE(WriteHexRecords(*output, memory.data(), 0x100010));
}

TEST(HexWriterTest, ReaderReproducesWhatTheWriterWrote) {
    std::mt19937 random(7);
    for (uint32_t size : {64u, 512u, 8192u, 0x10010u, 0x20000u}) {
        std::vector<uint8_t> memory(size);
        for (uint8_t& byte : memory) {
            byte = static_cast<uint8_t>(random());
        }
        std::istringstream file(WriteMemory(memory));
        std::vector<uint8_t> image(size, 0xFF);
        HexLoadState state;
        EXPECT_TRUE(IsHexFile(file)) << size;
        EXPECT_TRUE(LoadHexImage(file, image, state)) << size;
        EXPECT_EQ(image, memory) << size;
        EXPECT_EQ(state.highestAddress, size - 1);
    }
}

TEST(HexOutputTest, NewFileAppearsOnlyWhenCommitted) {
    TempDir dir;
    RecordingPanel panel;
    auto output = CreateHexOutput(dir.Path("out.hex"), panel);
    ASSERT_TRUE(output);
    EXPECT_TRUE(output->WriteEndRecord());
    const auto during = dir.Entries();
    ASSERT_EQ(during.size(), 1u);
    EXPECT_TRUE(during[0].starts_with(".out.hex.")) << during[0];
    EXPECT_TRUE(output->Commit());
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.hex"});
    EXPECT_EQ(ReadFile(dir.Path("out.hex")), ":00000001FF\n");
    EXPECT_TRUE(panel.Log().empty());
}

TEST(HexOutputTest, ExistingFileIsReplacedOnlyWhenConfirmedAndCommitted) {
    TempDir dir;
    const std::string path = dir.Path("out.hex");
    WriteFile(path, "earlier");
    namespace fs = std::filesystem;
    fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const fs::perms permissions = fs::status(path).permissions();

    RecordingPanel declined;
    EXPECT_FALSE(CreateHexOutput(path, declined));
    EXPECT_EQ(declined.Log(), std::vector<std::string>{"ask: " + path + kExistsQuestion});

    RecordingPanel confirmed;
    confirmed.Answer(true);
    confirmed.Answer(true);
    auto abandoned = CreateHexOutput(path, confirmed);
    ASSERT_TRUE(abandoned);
    abandoned->WriteSegmentRecord(0);
    abandoned.reset();
    EXPECT_EQ(ReadFile(path), "earlier");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.hex"});

    auto output = CreateHexOutput(path, confirmed);
    ASSERT_TRUE(output);
    EXPECT_TRUE(output->WriteEndRecord() && output->Commit());
    EXPECT_EQ(ReadFile(path), ":00000001FF\n");
    EXPECT_EQ(fs::status(path).permissions(), permissions);
    EXPECT_EQ(confirmed.Questions().size(), 2u);
}

TEST(HexOutputTest, LongestFileNameCanBeWritten) {
    TempDir dir;
    const std::string path = dir.Path(std::string(250, 'n') + ".hex");
    RecordingPanel panel;
    auto output = CreateHexOutput(path, panel);
    ASSERT_TRUE(output);
    EXPECT_TRUE(output->WriteEndRecord() && output->Commit());
    EXPECT_EQ(ReadFile(path), ":00000001FF\n");
    EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(HexOutputTest, LinkedFileIsUpdatedThroughTheLink) {
    TempDir dir;
    WriteFile(dir.Path("real.hex"), "earlier");
    std::error_code error;
    std::filesystem::create_symlink(dir.Path("real.hex"), dir.Path("link.hex"), error);
    if (error) {
        GTEST_SKIP() << "no symbolic links here: " << error.message();
    }
    RecordingPanel panel;
    panel.Answer(true);
    auto output = CreateHexOutput(dir.Path("link.hex"), panel);
    ASSERT_TRUE(output);
    EXPECT_TRUE(output->WriteEndRecord() && output->Commit());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.Path("link.hex")));
    EXPECT_EQ(ReadFile(dir.Path("real.hex")), ":00000001FF\n");
}

TEST(HexOutputTest, OutputThatCannotBeCreatedIsReported) {
    TempDir dir;
    std::filesystem::create_directory(dir.Path("folder"));
    std::vector<std::string> paths = {dir.Path("missing/out.hex"), dir.Path("folder"), ""};
    const std::string readOnly = dir.Path("readonly.hex");
    WriteFile(readOnly, "keep");
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read |
                                               std::filesystem::perms::group_read |
                                               std::filesystem::perms::others_read);
    // The super-user writes the file all the same.
    if (!std::ofstream(readOnly, std::ios::app)) {
        paths.push_back(readOnly);
    }
    for (const std::string& path : paths) {
        RecordingPanel panel;
        panel.Answer(true);
        EXPECT_FALSE(CreateHexOutput(path, panel)) << path;
        EXPECT_EQ(panel.Notices(), std::vector<std::string>{kCannotCreate}) << path;
    }
}

TEST(HexOutputTest, FailedCommitLeavesNoTemporaryFile) {
    TempDir dir;
    RecordingPanel panel;
    auto output = CreateHexOutput(dir.Path("out.hex"), panel);
    ASSERT_TRUE(output);
    std::filesystem::create_directory(dir.Path("out.hex"));
    EXPECT_FALSE(output->Commit());
    output.reset();
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"out.hex"});
    EXPECT_TRUE(std::filesystem::is_directory(dir.Path("out.hex")));
}

}  // namespace
}  // namespace zentaro
