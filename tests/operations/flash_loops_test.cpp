// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/flash_loops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "operations/fake_board.h"
#include "operations/loop_progress.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using ::testing::ElementsAre;
using Bytes = FakeBoard::Bytes;

std::vector<uint8_t> Blank(const DeviceRecord& device) {
    return std::vector<uint8_t>(device.flashSize, 0xFF);
}

TEST(ProgressDivisorTest, KeepsTheBarWithinSixteenBits) {
    EXPECT_EQ(ProgressDivisor(131072), 3u);
    EXPECT_EQ(131072 / ProgressDivisor(131072), 43690u);
    EXPECT_EQ(ProgressDivisor(65535), 2u);
    EXPECT_EQ(65535 / ProgressDivisor(65535), 32767u);
    EXPECT_EQ(ProgressDivisor(8192), 1u);
}

TEST(WriteFlashImageTest, WordsGoOutAsContinuationsAndSkipBlankWords) {
    const DeviceRecord& device = Device("Orlan 8");
    FakeBoard board(device, true, 0);
    std::vector<uint8_t> image = Blank(device);
    // Word 0 and word 1 follow each other; word 2 is blank; word 3 has one blank byte.
    image[0] = 0x11, image[1] = 0x22, image[2] = 0x33, image[3] = 0x44, image[6] = 0x55;

    ASSERT_TRUE(WriteFlashImage(board.Link(), board.Panel(), image, 6, 0));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'c', 0x11}, Bytes{'C', 0x22},
                            Bytes{'c', 0x33}, Bytes{'C', 0x44}, Bytes{'A', 0, 3}, Bytes{'c', 0x55},
                            Bytes{'C', 0xFF}, Bytes{'L'}));
    EXPECT_FALSE(board.Link().InProgMode());
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    EXPECT_FALSE(board.Panel().WaitCursor());
}

TEST(WriteFlashImageTest, PagedDeviceCommitsOnlyThePageItWroteInto) {
    const DeviceRecord& device = Device("Mirval 1");  // 64-byte pages
    FakeBoard board(device, true, 0);
    std::vector<uint8_t> image = Blank(device);
    image[0x100] = 0xAB, image[0x101] = 0xCD;

    ASSERT_TRUE(WriteFlashImage(board.Link(), board.Panel(), image, 0x101, device.flashPageSize));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'A', 0, 0x80}, Bytes{'c', 0xAB},
                            Bytes{'C', 0xCD}, Bytes{'A', 0, 0x80}, Bytes{'m'}, Bytes{'L'}));
}

TEST(WriteFlashImageTest, PageModeDeviceWritesWholeDirtyPagesOnly) {
    const DeviceRecord& device = Device("Mirval 2 BOOT");  // 128-byte pages
    FakeBoard board(device, true, 0);
    std::vector<uint8_t> image = Blank(device);
    image[0x100] = 0x12;

    ASSERT_TRUE(WriteFlashImage(board.Link(), board.Panel(), image, 0x100, device.flashPageSize));
    const std::vector<Bytes> traffic = board.MemoryTraffic();
    // 'P', 'A' 0, the page's address, 64 words of two writes each, the commit, 'L'.
    ASSERT_EQ(traffic.size(), 2 + 1 + 128 + 2 + 1u);
    EXPECT_EQ(traffic[2], (Bytes{'A', 0, 0x80}));
    EXPECT_EQ(traffic[3], (Bytes{'c', 0x12}));
    EXPECT_EQ(traffic[4], (Bytes{'C', 0xFF}));
    EXPECT_EQ(traffic[5], (Bytes{'c', 0xFF}));
    EXPECT_EQ(traffic[131], (Bytes{'A', 0, 0x80}));
    EXPECT_EQ(traffic[132], (Bytes{'m'}));
}

TEST(WriteFlashImageTest, BlocksSpanTheNonBlankWordsOfEachBlock) {
    const DeviceRecord& device = Device("Mirval 10");
    FakeBoard board(device, true, 256);
    std::vector<uint8_t> image = Blank(device);
    image[3] = 0x03, image[4] = 0x04;  // words 1 and 2
    image[0x300] = 0x30;               // the second block stays blank

    ASSERT_TRUE(WriteFlashImage(board.Link(), board.Panel(), image, 0x300, device.flashPageSize));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'A', 0, 1}, Bytes{'B', 0, 4, 'F'},
                            Bytes{0xFF, 0x03, 0x04, 0xFF}, Bytes{'A', 0x01, 0x80},
                            Bytes{'B', 0, 2, 'F'}, Bytes{0x30, 0xFF}, Bytes{'L'}));
    EXPECT_EQ(board.flash, image);
}

TEST(WriteFlashImageTest, EachFormSendsTheDataAtItsOwnAddresses) {
    struct Row {
        const char* device;
        uint32_t blockSize;
        std::vector<std::pair<uint32_t, uint8_t>> data;
        uint32_t last;
        std::vector<Bytes> traffic;
    };
    // clang-format off
    const Row rows[] = {
        // Byte by byte: blanks are skipped, the address goes out again after a gap.
        {"Dunmor 3", 0, {{1, 0x11}, {2, 0x22}, {5, 0x55}}, 5,
         {{'P'}, {'A', 0, 0}, {'A', 0, 1}, {'c', 0x11}, {'c', 0x22}, {'A', 0, 5}, {'c', 0x55},
          {'L'}}},
        // Byte-wide blocks start at byte addresses.
        {"Dunmor 3", 128, {{0x85, 0x5A}, {0x87, 0x5B}}, 0x90,
         {{'P'}, {'A', 0, 0}, {'A', 0, 0x85}, {'B', 0, 3, 'F'}, {0x5A, 0xFF, 0x5B}, {'L'}}},
        // Words in 64-byte pages: each page written into is committed once the next page
        // begins, the last one at the end.
        {"Mirval 1", 0, {{2, 0x01}, {0x80, 0x02}}, 0x81,
         {{'P'}, {'A', 0, 0}, {'A', 0, 1}, {'c', 0x01}, {'C', 0xFF}, {'A', 0, 0}, {'m'},
          {'A', 0, 0x40}, {'c', 0x02}, {'C', 0xFF}, {'A', 0, 0x40}, {'m'}, {'L'}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        const DeviceRecord& device = Device(row.device);
        FakeBoard board(device, true, row.blockSize);
        std::vector<uint8_t> image = Blank(device);
        for (const auto& [address, value] : row.data) {
            image[address] = value;
        }

        ASSERT_TRUE(
            WriteFlashImage(board.Link(), board.Panel(), image, row.last, device.flashPageSize))
            << row.device;
        EXPECT_EQ(board.MemoryTraffic(), row.traffic) << row.device << " " << row.blockSize;
    }
}

TEST(WriteFlashImageTest, AStopIsHonouredAfterTheUnitInFlight) {
    struct Row {
        const char* device;
        uint8_t stopLetter;
        int stopCount;
        long wordsSent;  // 'c' commands
        long commits;    // 'm' commands
    };
    const Row rows[] = {
        {"Mirval 2 BOOT", 'c', 1, 64, 1},  // the whole 128-byte page, committed
        {"Dunmor 3", 'c', 2, 2, 0},        // byte by byte
        {"Mirval 1", 'C', 32, 32, 0},      // the last word of a 64-byte page
        {"Mirval 1", 'c', 33, 33, 1},      // the next page's first word follows the commit
    };
    for (const Row& row : rows) {
        const DeviceRecord& device = Device(row.device);
        FakeBoard board(device, true, 0);
        const std::vector<uint8_t> image(device.flashSize, 0x5A);
        int seen = 0;
        board.onCommand = [&](const Bytes& command) {
            if (command[0] == row.stopLetter && ++seen == row.stopCount) {
                board.Panel().RequestStop();
            }
        };

        EXPECT_FALSE(
            WriteFlashImage(board.Link(), board.Panel(), image, 0x1FF, device.flashPageSize));
        const std::vector<Bytes> traffic = board.MemoryTraffic();
        const auto sent = [&](uint8_t letter) {
            return std::count_if(traffic.begin(), traffic.end(),
                                 [letter](const Bytes& write) { return write[0] == letter; });
        };
        EXPECT_EQ(sent('c'), row.wordsSent) << row.device << " " << row.stopCount;
        EXPECT_EQ(sent('m'), row.commits) << row.device << " " << row.stopCount;
        EXPECT_TRUE(board.Link().InProgMode());
        EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    }
}

TEST(WriteFlashImageTest, AFailedWriteStopsInProgrammingModeWithTheBarAtZero) {
    const DeviceRecord& device = Device("Orlan 8");
    FakeBoard board(device, true, 0);
    std::vector<uint8_t> image = Blank(device);
    image[0] = 0x01, image[2] = 0x02;
    board.Fault('C', 1, {'?'});

    EXPECT_FALSE(WriteFlashImage(board.Link(), board.Panel(), image, 3, 0));
    EXPECT_EQ(board.MemoryTraffic().back(), (Bytes{'C', 0xFF}));
    EXPECT_TRUE(board.Link().InProgMode());
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    EXPECT_FALSE(board.Panel().WaitCursor());
}

TEST(WriteFlashImageTest, ProgressIsScaledToTheRangeAndEndsAtZero) {
    // The bar spans the last address, not the byte count: 65535 is scaled by 2.
    for (const auto& [last, max] : {std::pair{131071u, 43690}, std::pair{65535u, 32767}}) {
        const DeviceRecord& device = Device("Mirval 10");
        FakeBoard board(device, true, 256);
        std::vector<uint8_t> image = Blank(device);
        image[last] = 0;

        ASSERT_TRUE(
            WriteFlashImage(board.Link(), board.Panel(), image, last, device.flashPageSize));
        EXPECT_EQ(board.Panel().ProgressMax(), max) << last;
        const std::vector<int> positions = board.Panel().Positions();
        EXPECT_EQ(positions[positions.size() - 2], max);
        EXPECT_EQ(positions.back(), 0);
    }
}

TEST(VerifyFlashImageTest, WordMismatchNamesTheWordAddress) {
    const DeviceRecord& device = Device("Orlan 8");
    FakeBoard board(device, true, 0);
    std::vector<uint8_t> image = Blank(device);
    image[0x100] = 0x34, image[0x101] = 0x12;
    board.flash[0x100] = 0x34, board.flash[0x101] = 0x99;

    EXPECT_FALSE(VerifyFlashImage(board.Link(), board.Panel(), image, 0x101));
    EXPECT_THAT(board.Panel().Notices(),
                ElementsAre("   地址: 0x0080, 原始数据: 0x1234, 芯片数据: 0x9934"));
    EXPECT_TRUE(board.Link().InProgMode());
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
}

TEST(VerifyFlashImageTest, OddBlockTailIsReadFromTheChipToo) {
    const DeviceRecord& device = Device("Mirval 10");
    FakeBoard board(device, true, 256);
    std::vector<uint8_t> image = Blank(device);
    image[0x102] = 0x42;  // the last byte of an odd range
    board.flash[0x102] = 0x24;

    EXPECT_FALSE(VerifyFlashImage(board.Link(), board.Panel(), image, 0x102));
    EXPECT_THAT(board.MemoryTraffic(), ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0},
                                                   Bytes{'g', 1, 0, 'F'}, Bytes{'g', 0, 4, 'F'}));
    EXPECT_THAT(board.Panel().Notices(),
                ElementsAre("   地址: 0x0081, 原始数据: 0xff42, 芯片数据: 0xff24"));
}

TEST(VerifyFlashImageTest, ByteWideBlockMismatchShowsBytes) {
    const DeviceRecord& device = Device("Dunmor 3");
    FakeBoard board(device, false, 128);
    std::vector<uint8_t> image = Blank(device);
    image[0x85] = 0x5A;

    EXPECT_FALSE(VerifyFlashImage(board.Link(), board.Panel(), image, 0x85));
    EXPECT_THAT(board.Panel().Notices(),
                ElementsAre("   地址: 0x0085, 原始数据: 0x5a, 芯片数据: 0xff"));
}

TEST(VerifyFlashImageTest, AShortBlockReadFailsWithoutComparing) {
    const DeviceRecord& device = Device("Mirval 10");
    FakeBoard board(device, true, 256);
    std::vector<uint8_t> image = Blank(device);
    board.Fault('g', 2, Bytes(10, 0xFF));

    EXPECT_FALSE(VerifyFlashImage(board.Link(), board.Panel(), image, 1023));
    EXPECT_TRUE(board.Panel().Notices().empty());
    EXPECT_EQ(board.MemoryTraffic().size(), 4u);
}

}  // namespace
}  // namespace zentaro
