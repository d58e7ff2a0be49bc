// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/read_loops.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "operations/fake_board.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using ::testing::ElementsAre;
using Bytes = FakeBoard::Bytes;

TEST(ReadLoopsTest, DeviceWithoutEepromReadsNothing) {
    for (uint32_t blockSize : {0u, 256u}) {
        FakeBoard board(Device("Dunmor 1"), true, blockSize);
        std::vector<uint8_t> memory(4, 0);
        ASSERT_TRUE(ReadEepromMemory(board.Link(), board.Panel(), memory));
        EXPECT_TRUE(memory.empty());
    }
}

TEST(ReadLoopsTest, SingleModeReadsPastTheFirst64KiB) {
    FakeBoard board(Device("Mirval 10"), true, 0);
    board.flash[0x10000] = 0xAA;
    board.flash[0x1FFFF] = 0x55;
    std::vector<uint8_t> memory;

    ASSERT_TRUE(ReadFlashMemory(board.Link(), board.Panel(), memory));
    ASSERT_EQ(memory.size(), 0x20000u);
    EXPECT_EQ(memory[0x10000], 0xAA);
    EXPECT_EQ(memory[0x1FFFF], 0x55);
    EXPECT_EQ(board.Panel().ProgressMax(), 8192);
    EXPECT_EQ(board.Panel().ProgressPosition(), 0);
}

TEST(ReadLoopsTest, ShortBlockReadsReachOneBytePastTheMemory) {
    FakeBoard board(Device("Orlan 1"), true, 256);
    board.eeprom[63] = 0x63;
    std::vector<uint8_t> memory;

    ASSERT_TRUE(ReadEepromMemory(board.Link(), board.Panel(), memory));
    EXPECT_THAT(board.MemoryTraffic(),
                ElementsAre(Bytes{'P'}, Bytes{'A', 0, 0}, Bytes{'g', 0, 65, 'E'}, Bytes{'L'}));
    ASSERT_EQ(memory.size(), 64u);
    EXPECT_EQ(memory[63], 0x63);
}

TEST(ReadLoopsTest, FailedReadsStayInProgrammingMode) {
    {
        FakeBoard board(Device("Mirval 10"), true, 256);
        board.Fault('g', 3, {});
        std::vector<uint8_t> memory;
        EXPECT_FALSE(ReadFlashMemory(board.Link(), board.Panel(), memory));
        EXPECT_TRUE(board.Link().InProgMode());
    }
    {
        FakeBoard board(Device("Orlan 8"), true, 0);
        board.Fault('d', 20, {});
        std::vector<uint8_t> memory;
        EXPECT_FALSE(ReadEepromMemory(board.Link(), board.Panel(), memory));
        EXPECT_TRUE(board.Link().InProgMode());
        EXPECT_EQ(board.Panel().ProgressPosition(), 0);
    }
}

}  // namespace
}  // namespace zentaro
