// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <numeric>

#include "sim/board.h"
#include "sim/wire.h"

namespace zentaro::sim {
namespace {

using test::Exchange;
using test::MakeBoard;

// A board in programming mode with the given chip and extra options.
Board Programming(const char* chip, std::vector<std::string> args = {}) {
    args.insert(args.end(), {"--chip", chip});
    Board board = MakeBoard(args);
    board.FeedText("P");
    return board;
}

TEST(BoardMemory, WordWideWritesAndReadsContinueWithAutoIncrement) {
    Board board = Programming("Orlan 8");
    EXPECT_EQ(Exchange(board, "'A 00 10 'c 34 'C 12 'c 78 'C 56"), "0D 0D 0D 0D 0D");
    EXPECT_EQ(board.TargetChip().Flash()[0x20], 0x34);
    EXPECT_EQ(board.TargetChip().Flash()[0x23], 0x56);
    EXPECT_EQ(Exchange(board, "'A 00 10 'R 'R 'R"), "0D 12 34 56 78 FF FF");
    EXPECT_EQ(board.Address(), 0x0013);
}

TEST(BoardMemory, WithoutAutoIncrementTheAddressStays) {
    Board board = Programming("Orlan 8", {"--auto-increment", "N"});
    EXPECT_EQ(Exchange(board, "'A 00 10 'c 34 'C 12 'c 00"), "0D 0D 0D 0D");
    EXPECT_EQ(board.TargetChip().Flash()[0x20], 0x00);
    EXPECT_EQ(Exchange(board, "'R 'R 'd 'D 55 'd"), "12 00 12 00 FF 0D 55");
    EXPECT_EQ(board.Address(), 0x0010);
}

TEST(BoardMemory, ByteWideChipsUseOneBytePerAddress) {
    Board board = Programming("Dunmor 3");
    EXPECT_EQ(Exchange(board, "'A 00 20 'c 11 'c 22 'C 33"), "0D 0D 0D 3F");
    EXPECT_EQ(board.TargetChip().Flash()[0x20], 0x11);
    EXPECT_EQ(board.TargetChip().Flash()[0x21], 0x22);
    EXPECT_EQ(Exchange(board, "'A 00 20 'R 'R 'R"), "0D 11 22 FF");
}

TEST(BoardMemory, PageIsProgrammedWhenItsAddressIsCommitted) {
    Board board = Programming("Mirval 1");  // 64-byte pages
    EXPECT_EQ(Exchange(board, "'A 00 80 'c 0C 'C 94"), "0D 0D 0D");
    EXPECT_EQ(Exchange(board, "'A 00 80 'R"), "0D FF FF");
    EXPECT_EQ(Exchange(board, "'A 00 80 'm"), "0D 0D");
    EXPECT_EQ(Exchange(board, "'A 00 80 'R"), "0D 94 0C");
    EXPECT_EQ(board.TargetChip().Flash()[0x100], 0x0C);
}

TEST(BoardMemory, EepromBytesWithAutoIncrement) {
    Board board = Programming("Mirval 10");
    EXPECT_EQ(Exchange(board, "'A 0F FE 'D 01 'D 02 'D 03"), "0D 0D 0D 0D");
    EXPECT_EQ(board.TargetChip().Eeprom()[0xFFE], 0x01);
    EXPECT_EQ(board.TargetChip().Eeprom()[0xFFF], 0x02);
    EXPECT_EQ(Exchange(board, "'A 0F FE 'd 'd 'd"), "0D 01 02 FF");  // past the end: blank
}

TEST(BoardMemory, FlashBlocksStartAtTheWordAddressAndAdvanceByHalfTheCount) {
    Board board = Programming("Mirval 10");
    EXPECT_EQ(Exchange(board, "'A 00 40 'B 00 04 'F 01 02 03 04 'B 00 02 'F 05 06"), "0D 0D 0D");
    EXPECT_EQ(board.Address(), 0x0043);
    const auto& flash = board.TargetChip().Flash();
    EXPECT_EQ(std::vector<uint8_t>(flash.begin() + 0x80, flash.begin() + 0x87),
              (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 0xFF}));
    EXPECT_EQ(Exchange(board, "'A 00 40 'g 00 04 'F 'g 00 04 'F"), "0D 01 02 03 04 05 06 FF FF");
}

TEST(BoardMemory, ByteWideFlashBlocksAdvanceByTheCount) {
    Board board = Programming("Dunmor 3");
    EXPECT_EQ(Exchange(board, "'A 00 10 'B 00 03 'F 01 02 03 'g 00 01 'F"), "0D 0D FF");
    EXPECT_EQ(board.TargetChip().Flash()[0x12], 0x03);
    EXPECT_EQ(Exchange(board, "'A 00 11 'g 00 02 'F"), "0D 02 03");
}

TEST(BoardMemory, EepromBlocksAndAReadPastTheEnd) {
    Board board = Programming("Sarko 3");  // 64-byte EEPROM
    std::string data(64, '\0');
    std::iota(data.begin(), data.end(), '\0');
    EXPECT_EQ(board.FeedText(test::Wire("'A 00 00 'B 00 40 'E") + data), "\r\r");
    // A 65-byte read of a 64-byte EEPROM gets a blank last byte.
    const std::string read = board.FeedText(test::Wire("'A 00 00 'g 00 41 'E"));
    EXPECT_EQ(read, "\r" + data + "\xFF");
    EXPECT_EQ(board.Address(), 0x0041);
}

TEST(BoardMemory, BlocksNeedABlockSizeAndAKnownType) {
    Board none = Programming("Mirval 10", {"--block-size", "0"});
    EXPECT_EQ(Exchange(none, "'g"), "3F");
    Board board = Programming("Mirval 10");
    EXPECT_EQ(Exchange(board, "'B 00 02 'X 00 00 'g 00 02 'X"), "3F 3F");
    EXPECT_EQ(board.TargetChip().Flash()[0], 0xFF);
}

TEST(BoardConfig, FuseAndLockCommandsReadBackWhatWasWritten) {
    Board board = Programming("Mirval 10");
    EXPECT_EQ(Exchange(board, "'f 11 'n 22 'q 33 'l FC"), "0D 0D 0D 0D");
    EXPECT_EQ(Exchange(board, "'F 'N 'Q 'r"), "11 22 33 FC");
    EXPECT_EQ(Exchange(board, "'l F3 'r"), "0D F0");  // lock bits only program down
    EXPECT_EQ(Exchange(board, "'e 'r 'F"), "0D FF 11");
}

TEST(BoardConfig, SignatureComesLastByteFirstAndCalibrationWithCR) {
    Board board = Programming("Mirval 10", {"--calibration", "0xA7"});
    const auto& signature = board.TargetChip().Signature();
    const std::string reply = board.FeedText("s");
    ASSERT_EQ(reply.size(), 3u);
    EXPECT_EQ(static_cast<uint8_t>(reply[0]), signature[2]);
    EXPECT_EQ(static_cast<uint8_t>(reply[2]), signature[0]);
    EXPECT_EQ(Exchange(board, "'h"), "A7 0D");
}

TEST(BoardConfig, PassThroughInstructionsReachTheConfigurationBytes) {
    Board board = Programming("Mirval 10", {"--lock", "0xFC", "--low-fuse", "0x11", "--high-fuse",
                                            "0x22", "--ext-fuse", "0x33", "--calibration", "0x44"});
    EXPECT_EQ(Exchange(board, "': 58 00 00 ': 58 08 00 ': 50 00 00 ': 50 08 00 ': 38 00 00"),
              "FC 0D 22 0D 11 0D 33 0D 44 0D");
    EXPECT_EQ(Exchange(board, "'. AC A0 00 5A '. AC A8 00 6B '. AC A4 00 7C '. AC E0 00 F3"),
              "5A 0D 6B 0D 7C 0D F3 0D");
    const ConfigBytes& config = board.TargetChip().Config();
    EXPECT_EQ(config.lowFuse, 0x5A);
    EXPECT_EQ(config.highFuse, 0x6B);
    EXPECT_EQ(config.extendedFuse, 0x7C);
    EXPECT_EQ(config.lock, 0xF0);
    EXPECT_EQ(Exchange(board, "': 12 34 56"), "00 0D");  // not an instruction the target knows
}

TEST(BoardConfig, OldFuseWriteCarriesFiveBitsInTheSecondByte) {
    Board board = Programming("Orlan 3", {"--low-fuse", "0x40"});
    // A fuse byte of 0xDE goes out as AC BE: bits 4-0 = 1E, bits 7-5 kept.
    EXPECT_EQ(Exchange(board, "': AC BE 00"), "00 0D");
    EXPECT_EQ(board.TargetChip().Config().lowFuse, 0x5E);
    EXPECT_EQ(Exchange(board, "'F"), "5E");
}

}  // namespace
}  // namespace zentaro::sim
