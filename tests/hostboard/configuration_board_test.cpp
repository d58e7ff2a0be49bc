// SPDX-License-Identifier: GPL-3.0-or-later
#include "host_board_fixture.h"

namespace zentaro::test {
namespace {

TEST_F(HostBoardTest, LockAndFuseBytesAreWrittenAndReadBack) {
    Connect({"--chip", "Mirval 10"});
    // Each command enters programming mode itself.
    ASSERT_TRUE(link->WriteLockBits(0xFC));
    ASSERT_TRUE(link->WriteFuseBits(0xE4));
    ASSERT_TRUE(link->WriteHighFuseBits(0xC9));
    ASSERT_TRUE(link->WriteExtendedFuseBits(0xFD));
    const sim::ConfigBytes config = board->Config();
    EXPECT_EQ(config.lock, 0xFC);
    EXPECT_EQ(config.lowFuse, 0xE4);
    EXPECT_EQ(config.highFuse, 0xC9);
    EXPECT_EQ(config.extendedFuse, 0xFD);

    uint8_t lock = 0, low = 0, high = 0, extended = 0;
    ASSERT_TRUE(link->ReadLockBits(lock));
    ASSERT_TRUE(link->ReadFuseBits(low));
    ASSERT_TRUE(link->ReadHighFuseBits(high));
    ASSERT_TRUE(link->ReadExtendedFuseBits(extended));
    EXPECT_EQ((Bytes{lock, low, high, extended}), (Bytes{0xFC, 0xE4, 0xC9, 0xFD}));
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(HostBoardTest, SignatureCalibrationAndPassThroughReads) {
    Connect({"--chip", "Mirval 10", "--lock", "0xEC", "--low-fuse", "0xA1", "--high-fuse", "0x99",
             "--ext-fuse", "0xFE", "--calibration", "0x8B"});
    uint8_t b0 = 0, b1 = 0, b2 = 0;
    ASSERT_TRUE(link->ReadSignature(b0, b1, b2));
    const auto signature = board->Signature();
    EXPECT_EQ((Bytes{b2, b1, b0}), (Bytes{signature[0], signature[1], signature[2]}));

    uint8_t value = 0;
    ASSERT_TRUE(link->ReadCalibrationByte(value));
    EXPECT_EQ(value, 0x8B);

    struct Instruction {
        uint8_t i1, i2, expected;
    };
    for (const Instruction& in : {Instruction{0x58, 0x00, 0xEC}, Instruction{0x58, 0x08, 0x99},
                                  Instruction{0x50, 0x00, 0xA1}, Instruction{0x50, 0x08, 0xFE},
                                  Instruction{0x38, 0x00, 0x8B}}) {
        ASSERT_TRUE(link->UniversalCommand(in.i1, in.i2, 0x00, value));
        EXPECT_EQ(value, in.expected) << std::hex << int{in.i1} << ' ' << int{in.i2};
    }
}

TEST_F(HostBoardTest, UniversalWriteSetsTheFuseAndLeavesProgrammingMode) {
    Connect({"--chip", "Mirval 10"});
    uint8_t value = 0xD1;
    ASSERT_TRUE(link->UniversalWrite(0xAC, 0xA8, 0x00, value));
    EXPECT_EQ(board->Config().highFuse, 0xD1);
    EXPECT_FALSE(board->ProgrammingMode());
    EXPECT_FALSE(link->InProgMode());

    value = 0xF5;
    ASSERT_TRUE(link->UniversalWrite(0xAC, 0xA4, 0x00, value));
    EXPECT_EQ(board->Config().extendedFuse, 0xF5);
}

TEST_F(HostBoardTest, VersionAndTypeOfAParallelBoard) {
    Connect({"--type", "P", "--version", "37"});
    char major = 0, minor = 0, type = 0;
    ASSERT_TRUE(link->wire().ReadSoftwareVersion(major, minor));
    EXPECT_EQ(std::string({major, minor}), "37");
    ASSERT_TRUE(link->wire().ReadProgrammerType(type));
    EXPECT_EQ(type, 'P');
    EXPECT_FALSE(board->ProgrammingMode());
}

}  // namespace
}  // namespace zentaro::test
