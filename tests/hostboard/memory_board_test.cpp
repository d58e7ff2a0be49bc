// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_board_fixture.h"

namespace zentaro::test {
namespace {

TEST_F(HostBoardTest, WordWidePageIsFilledWordByWordAndCommitted) {
    ConnectAndProgram("Mirval 10");
    ASSERT_TRUE(link->WriteProgramWord(0x0140, 0x1234, false));
    ASSERT_TRUE(link->WriteProgramWord(0x0141, 0xABCD, true));  // the board's counter moved on
    ASSERT_TRUE(link->wire().WritePage(0x0140));
    EXPECT_EQ(Slice(board->Flash(), 0x280, 4), (Bytes{0x34, 0x12, 0xCD, 0xAB}));

    uint16_t word = 0;
    ASSERT_TRUE(link->ReadProgramWord(0x0140, word, false));
    EXPECT_EQ(word, 0x1234);
    ASSERT_TRUE(link->ReadProgramWord(0x0141, word, true));
    EXPECT_EQ(word, 0xABCD);
}

TEST_F(HostBoardTest, ByteWideProgramMemory) {
    ConnectAndProgram("Dunmor 3");
    ASSERT_TRUE(link->WriteProgramWord(0x0010, 0x00A5, false));
    ASSERT_TRUE(link->WriteProgramWord(0x0011, 0x005A, true));
    EXPECT_EQ(Slice(board->Flash(), 0x10, 2), (Bytes{0xA5, 0x5A}));
    uint16_t word = 0;
    ASSERT_TRUE(link->ReadProgramWord(0x0011, word, false));
    EXPECT_EQ(word, 0x5A);
}

TEST_F(HostBoardTest, EepromBytesAndBlocks) {
    ConnectAndProgram("Mirval 10");
    ASSERT_TRUE(link->wire().WriteEepromByte(0x0300, 0x5A, false));
    ASSERT_TRUE(link->wire().WriteEepromByte(0x0301, 0x3C, true));
    EXPECT_EQ(Slice(board->Eeprom(), 0x300, 2), (Bytes{0x5A, 0x3C}));
    uint8_t value = 0;
    ASSERT_TRUE(link->wire().ReadEepromByte(0x0301, value, false));
    EXPECT_EQ(value, 0x3C);

    const Bytes data = Pattern(256, 11);
    ASSERT_TRUE(link->wire().SetAddress(0x0000));
    ASSERT_TRUE(link->wire().BlockWrite(256, data.data(), BoardProtocol::kEepromMemory));
    EXPECT_EQ(Slice(board->Eeprom(), 0, 256), data);
    Bytes back(256);
    ASSERT_TRUE(link->wire().SetAddress(0x0000));
    ASSERT_TRUE(link->wire().BlockRead(back.data(), 256, BoardProtocol::kEepromMemory));
    EXPECT_EQ(back, data);
}

TEST_F(HostBoardTest, ChipEraseBlanksFlashAndLock) {
    ConnectAndProgram("Mirval 10", {"--lock", "0xFC"});
    board->LoadFlash(Pattern(64, 0));
    ASSERT_TRUE(link->ChipErase());
    EXPECT_EQ(Slice(board->Flash(), 0, 64), Bytes(64, 0xFF));
    EXPECT_EQ(board->Config().lock, 0xFF);
    EXPECT_TRUE(link->InProgMode());
}

TEST_F(HostBoardTest, ChipEraseOnOrlan1LeavesProgrammingMode) {
    ConnectAndProgram("Orlan 1");
    ASSERT_TRUE(link->ChipErase());
    EXPECT_FALSE(board->ProgrammingMode());
    EXPECT_FALSE(link->InProgMode());
}

}  // namespace
}  // namespace zentaro::test
