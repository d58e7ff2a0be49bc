// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/chip.h"

#include <gtest/gtest.h>

#include "catalogue/device_table.h"

namespace zentaro::sim {
namespace {

Chip Fitted(const char* name) {
    return Chip(FindDeviceByName(name));
}

TEST(Chip, StartsBlankWithTheDeviceSizes) {
    const Chip chip = Fitted("Mirval 10");
    EXPECT_EQ(chip.Flash().size(), 131072u);
    EXPECT_EQ(chip.Eeprom().size(), 4096u);
    EXPECT_EQ(chip.Flash()[131071], 0xFF);
    EXPECT_EQ(chip.Eeprom()[0], 0xFF);
    EXPECT_EQ(chip.Config().lock, 0xFF);
    EXPECT_FALSE(chip.Changed());
}

TEST(Chip, WordWideWordsLieLowByteFirstAtTheEvenByteAddress) {
    Chip chip = Fitted("Orlan 8");  // word-wide, no pages
    chip.WriteProgramByte(0x0010, false, 0x34);
    chip.WriteProgramByte(0x0010, true, 0x12);
    EXPECT_EQ(chip.Flash()[0x20], 0x34);
    EXPECT_EQ(chip.Flash()[0x21], 0x12);
    EXPECT_EQ(chip.ReadProgram(0x0010), 0x1234);
    EXPECT_TRUE(chip.Changed());
}

TEST(Chip, ByteWideProgramMemoryIsAddressedInBytes) {
    Chip chip = Fitted("Dunmor 3");
    chip.WriteProgramByte(0x0011, false, 0x5A);
    EXPECT_EQ(chip.Flash()[0x11], 0x5A);
    EXPECT_EQ(chip.ReadProgram(0x0011), 0x5A);
    EXPECT_EQ(chip.ReadProgram(0x0010), 0xFF);
}

TEST(Chip, FlashAndLockBitsOnlyProgramDownUntilErased) {
    Chip chip = Fitted("Orlan 8");
    chip.LoadEeprom(std::vector<uint8_t>{0x11, 0x22});
    chip.SetLowFuse(0x3C);
    chip.ProgramFlashByte(5, 0xF0);
    chip.ProgramFlashByte(5, 0x3F);
    EXPECT_EQ(chip.Flash()[5], 0x30);
    chip.WriteLock(0xFC);
    chip.WriteLock(0xF9);
    EXPECT_EQ(chip.Config().lock, 0xF8);

    chip.ChipErase();
    EXPECT_EQ(chip.Flash()[5], 0xFF);
    EXPECT_EQ(chip.Config().lock, 0xFF);
    EXPECT_EQ(chip.Eeprom()[1], 0x22);  // erase keeps EEPROM and fuses
    EXPECT_EQ(chip.Config().lowFuse, 0x3C);
}

TEST(Chip, EraseBlanksEveryByteProgrammedOrLoadedSinceTheLastOne) {
    Chip chip = Fitted("Mirval 10");
    const std::vector<uint8_t> blank(chip.Flash().size(), 0xFF);
    chip.LoadFlash(std::vector<uint8_t>(300, 0x00));
    chip.ProgramFlashByte(131071, 0x00);
    chip.ChipErase();
    EXPECT_EQ(chip.Flash(), blank);

    chip.ProgramFlashByte(70000, 0x12);
    chip.ProgramFlashByte(9, 0x34);
    chip.ChipErase();
    EXPECT_EQ(chip.Flash(), blank);
}

TEST(Chip, PagedWritesReachFlashOnlyWhenThePageIsCommitted) {
    Chip chip = Fitted("Mirval 1");  // 64-byte pages
    chip.WriteProgramByte(0x0080, false, 0x01);
    chip.WriteProgramByte(0x0080, true, 0x02);
    chip.WriteProgramByte(0x0085, false, 0x03);
    EXPECT_EQ(chip.Flash()[0x100], 0xFF);

    chip.CommitPage(0x009F);  // any word of the page selects it
    EXPECT_EQ(chip.Flash()[0x100], 0x01);
    EXPECT_EQ(chip.Flash()[0x101], 0x02);
    EXPECT_EQ(chip.Flash()[0x10A], 0x03);
    EXPECT_EQ(chip.Flash()[0x0FF], 0xFF);
    EXPECT_EQ(chip.Flash()[0x140], 0xFF);

    // The buffer is blank again: committing another page programs nothing.
    chip.CommitPage(0x0000);
    EXPECT_EQ(chip.Flash()[0x00], 0xFF);
    EXPECT_EQ(chip.Flash()[0x01], 0xFF);
}

TEST(Chip, OutOfRangeAccessesReadBlankAndWriteNothing) {
    Chip chip = Fitted("Dunmor 1");  // 1 KiB flash, no EEPROM
    chip.WriteProgramByte(0xFFFF, false, 0x00);
    chip.ProgramFlashByte(1024, 0x00);
    chip.WriteEeprom(0, 0x00);
    EXPECT_EQ(chip.ReadProgram(0xFFFF), 0xFF);
    EXPECT_EQ(chip.ReadEeprom(0), 0xFF);
    EXPECT_FALSE(chip.Changed());

    Chip paged = Fitted("Mirval 1");
    paged.WriteProgramByte(0xFFFF, true, 0x00);
    paged.CommitPage(0xFFFF);
    EXPECT_EQ(paged.ReadProgram(0xFFFF), 0xFFFF);
}

TEST(Chip, SignatureAndCalibrationFollowTheChip) {
    const Chip big = Fitted("Mirval 10");
    const Chip small = Fitted("Sarko 3");
    EXPECT_EQ(big.Signature()[2], 0x43);
    EXPECT_EQ(small.Signature()[2], 0x55);
    EXPECT_NE(big.Signature()[1], small.Signature()[1]);
    EXPECT_NE(big.Calibration(), small.Calibration());
}

}  // namespace
}  // namespace zentaro::sim
