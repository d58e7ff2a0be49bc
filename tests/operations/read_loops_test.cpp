// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/read_loops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "operations/fake_board.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using ::testing::ElementsAre;
using Bytes = FakeBoard::Bytes;

// Collects the records instead of writing a file.
class CollectedHex : public HexOutput {
public:
    bool WriteSegmentRecord(uint32_t byteAddress) override {
        lines.push_back(FormatSegmentRecord(byteAddress));
        return true;
    }
    bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) override {
        lines.push_back(FormatDataRecord(byteAddress, bytes));
        return true;
    }
    bool WriteEndRecord() override {
        lines.push_back(":00000001FF");
        return true;
    }
    bool Commit() override { return true; }

    std::vector<std::string> lines;
};

TEST(ReadLoopsTest, DeviceWithoutEepromGivesOnlyTheEndRecord) {
    for (uint32_t blockSize : {0u, 256u}) {
        FakeBoard board(Device("Dunmor 1"), true, blockSize);
        CollectedHex hex;
        ASSERT_TRUE(ReadEepromToHex(board.Link(), hex));
        EXPECT_THAT(hex.lines, ElementsAre(":00000001FF"));
    }
}

TEST(ReadLoopsTest, SingleModeStartsTheSecondSegmentAtRecord4096) {
    FakeBoard board(Device("Mirval 10"), true, 0);
    board.flash[0x10000] = 0xAA;
    CollectedHex hex;

    ASSERT_TRUE(ReadFlashToHex(board.Link(), hex));
    ASSERT_EQ(hex.lines.size(), 8192 + 3u);
    EXPECT_EQ(hex.lines[0], ":020000020000FC");
    EXPECT_EQ(hex.lines[4096].substr(0, 9), ":10FFF000");
    EXPECT_EQ(hex.lines[4097], ":020000021000EC");
    EXPECT_EQ(hex.lines[4098].substr(0, 11), ":10000000AA");
    EXPECT_EQ(board.Panel().ProgressMax(), 8192);
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
}

TEST(ReadLoopsTest, ShortBlockReadsReachOneBytePastTheMemory) {
    FakeBoard board(Device("Orlan 1"), true, 256);
    board.eeprom[63] = 0x63;
    CollectedHex hex;

    ASSERT_TRUE(ReadEepromToHex(board.Link(), hex));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'g', 0, 65, 'E'}, Bytes{'L'}));
    ASSERT_EQ(hex.lines.size(), 6u);
    EXPECT_EQ(hex.lines[4].substr(9, 32), std::string(30, 'F') + "63");
}

TEST(ReadLoopsTest, FailedReadsWriteNothingMoreAndStayInProgrammingMode) {
    {
        FakeBoard board(Device("Mirval 10"), true, 256);
        board.Fault('g', 3, {});
        CollectedHex hex;
        EXPECT_FALSE(ReadFlashToHex(board.Link(), hex));
        EXPECT_TRUE(hex.lines.empty());
        EXPECT_TRUE(board.Link().InProgMode());
    }
    {
        FakeBoard board(Device("Orlan 8"), true, 0);
        board.Fault('d', 20, {});
        CollectedHex hex;
        EXPECT_FALSE(ReadEepromToHex(board.Link(), hex));
        EXPECT_EQ(hex.lines.size(), 2u);  // the segment record and the first data record
        EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    }
}

}  // namespace
}  // namespace zentaro
