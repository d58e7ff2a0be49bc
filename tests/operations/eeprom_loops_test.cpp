// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/eeprom_loops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "operations/fake_board.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using ::testing::ElementsAre;
using Bytes = FakeBoard::Bytes;

TEST(WriteEepromImageTest, BlankBytesAreWrittenToo) {
    FakeBoard board(Device("Orlan 8"), true, 0);
    board.eeprom.assign(board.eeprom.size(), 0x00);
    const std::vector<uint8_t> image = {0x12, 0xFF, 0x34};

    ASSERT_TRUE(WriteEepromImage(board.Link(), board.Panel(), image, 2));
    EXPECT_THAT(board.MemoryTraffic(), ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'D', 0x12},
                                                   Bytes{'D', 0xFF}, Bytes{'D', 0x34}, Bytes{'L'}));
    EXPECT_THAT(std::vector<uint8_t>(board.eeprom.begin(), board.eeprom.begin() + 4),
                ElementsAre(0x12, 0xFF, 0x34, 0x00));
    EXPECT_EQ(board.Panel().ProgressMax(), 2);
    EXPECT_THAT(board.Panel().Positions(), ElementsAre(1, 2, 2, 0));
}

TEST(WriteEepromImageTest, EachBlockLoadsItsOwnAddress) {
    FakeBoard board(Device("Orlan 8"), true, 4);
    std::vector<uint8_t> image(16, 0xFF);
    for (uint8_t i = 0; i < 10; ++i) {
        image[i] = i;
    }

    ASSERT_TRUE(WriteEepromImage(board.Link(), board.Panel(), image, 9));
    EXPECT_THAT(
        board.MemoryTraffic(),
        ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'A', 0, 0}, Bytes{'B', 0, 4, 'E'},
                    Bytes{0, 1, 2, 3}, Bytes{'A', 0, 4}, Bytes{'B', 0, 4, 'E'}, Bytes{4, 5, 6, 7},
                    Bytes{'A', 0, 8}, Bytes{'B', 0, 2, 'E'}, Bytes{8, 9}, Bytes{'L'}));
}

TEST(WriteEepromImageTest, AnUnacknowledgedBlockFails) {
    FakeBoard board(Device("Orlan 8"), true, 4);
    board.Fault('B', 1, {'?'});

    EXPECT_FALSE(WriteEepromImage(board.Link(), board.Panel(), std::vector<uint8_t>(8, 1), 7));
    EXPECT_TRUE(board.Link().InProgMode());
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
}

TEST(VerifyEepromImageTest, MismatchShowsAddressAndBothBytes) {
    for (uint32_t blockSize : {0u, 64u}) {
        FakeBoard board(Device("Orlan 8"), blockSize == 0, blockSize);
        std::vector<uint8_t> image(0x20, 0xFF);
        image[0x10] = 0x12;
        board.eeprom[0x10] = 0x34;

        EXPECT_FALSE(VerifyEepromImage(board.Link(), board.Panel(), image, 0x1F)) << blockSize;
        EXPECT_THAT(board.Panel().Notices(),
                    ElementsAre("   地址: 0x0010, 原始数据: 0x12, 芯片数据: 0x34"));
        EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    }
}

TEST(VerifyEepromImageTest, ReadsInChunksOfAtMost256) {
    FakeBoard board(Device("Orlan 8"), true, 16);
    const std::vector<uint8_t> image(512, 0xFF);

    ASSERT_TRUE(VerifyEepromImage(board.Link(), board.Panel(), image, 299));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'g', 1, 0, 'E'},
                            Bytes{'g', 0, 44, 'E'}, Bytes{'L'}));
}

TEST(VerifyEepromImageTest, AFailedBlockReadFails) {
    FakeBoard board(Device("Orlan 8"), true, 16);
    board.Fault('g', 1, {});

    EXPECT_FALSE(
        VerifyEepromImage(board.Link(), board.Panel(), std::vector<uint8_t>(512, 0xFF), 15));
    EXPECT_TRUE(board.Panel().Notices().empty());
}

}  // namespace
}  // namespace zentaro
