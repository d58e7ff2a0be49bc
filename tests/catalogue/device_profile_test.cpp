// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/device_profile.h"

#include <gtest/gtest.h>

#include <bit>
#include <string>

namespace zentaro {
namespace {

std::string NameOf(const DeviceProfile& profile) {
    return profile.record.name;
}

bool IsBootVariant(const DeviceProfile& profile) {
    return NameOf(profile).ends_with(" BOOT");
}

TEST(DeviceProfiles, OneProfilePerTableRowFoundByItsCode) {
    const auto profiles = DeviceProfiles();
    ASSERT_EQ(profiles.size() + 1, DeviceTable().size());
    for (size_t i = 0; i < profiles.size(); ++i) {
        EXPECT_STREQ(profiles[i].record.name, DeviceTable()[i].name);
        // Every look-up goes by code, so a second row with the same code would never be found.
        EXPECT_EQ(&ProfileForCode(profiles[i].record.deviceCode), &profiles[i])
            << NameOf(profiles[i]);
        EXPECT_EQ(&ProfileFor(DeviceTable()[i]), &profiles[i]) << NameOf(profiles[i]);
    }
}

TEST(DeviceProfiles, AnUnknownCodeGetsNoPerChipRule) {
    const DeviceProfile& unknown = ProfileForCode(0xE5);
    EXPECT_EQ(unknown.record.name, nullptr);
    EXPECT_EQ(unknown.layoutClass, LayoutClass::NoFuses);
    EXPECT_EQ(unknown.boot.kind, BootSizeKind::NoBootSection);
    EXPECT_FALSE(unknown.pageMode || unknown.erasedByLeavingProgrammingMode);
}

TEST(DeviceProfiles, EachBootVariantAndNoOtherRowSizesABootSectionThatFits) {
    for (const DeviceProfile& profile : DeviceProfiles()) {
        SCOPED_TRACE(NameOf(profile));
        if (!IsBootVariant(profile)) {
            EXPECT_EQ(profile.boot.kind, BootSizeKind::NoBootSection);
            continue;
        }
        ASSERT_NE(profile.boot.kind, BootSizeKind::NoBootSection);
        // The fuse field halves the largest size three times; every step must stay whole.
        EXPECT_TRUE(std::has_single_bit(profile.boot.words));
        EXPECT_GE(profile.boot.words, 8u);
        EXPECT_LT(2 * profile.boot.words, profile.record.flashSize);
        // The boot-loader variants are read through the board in every mode, and none of
        // them has a calibration byte to read.
        EXPECT_FALSE(profile.serialReadsByInstruction);
        EXPECT_NE(profile.calibration, CalibrationSource::Chip);
    }
}

TEST(DeviceProfiles, PageModeRowsHaveAFlashPageOfWholeWords) {
    for (const DeviceProfile& profile : DeviceProfiles()) {
        if (profile.pageMode) {
            EXPECT_GE(profile.record.flashPageSize, 2u) << NameOf(profile);
            EXPECT_EQ(profile.record.flashPageSize % 2, 0u) << NameOf(profile);
        }
    }
}

TEST(DeviceProfiles, OnlySpiAndClockBitRowsNameTheirOwnClockList) {
    for (const DeviceProfile& profile : DeviceProfiles()) {
        EXPECT_EQ(profile.layoutClass == LayoutClass::SpiAndClockBit,
                  profile.clockList != ClockListVariant::OfClass)
            << NameOf(profile);
    }
}

// The byte a lock mode is read back from must be one the read fetches, and it must hold
// the bits the mode is written to.
TEST(DeviceProfiles, LockReadsMatchTheReadPlanAndTheLockEncoding) {
    for (const DeviceProfile& profile : DeviceProfiles()) {
        SCOPED_TRACE(NameOf(profile));
        const bool combined = profile.bytesRead == ConfigBytesRead::CombinedByte;
        switch (profile.lockRead) {
            case LockReadRule::NotRead:
                EXPECT_TRUE(profile.lockEncoding == LockEncoding::NeverLocks ||
                            profile.lockEncoding == LockEncoding::FourModes);
                break;
            case LockReadRule::LowBits7And6:
                EXPECT_TRUE(combined);
                EXPECT_EQ(profile.lockEncoding, LockEncoding::Bits7And6);
                break;
            case LockReadRule::LowBits7And6Inverted:
                EXPECT_TRUE(combined);
                EXPECT_EQ(profile.lockEncoding, LockEncoding::Bits2And1);
                break;
            case LockReadRule::LockBits2And1:
                EXPECT_FALSE(combined);
                EXPECT_EQ(profile.lockEncoding, LockEncoding::Bits2And1);
                break;
            case LockReadRule::LockBits1And0:
                EXPECT_FALSE(combined);
                EXPECT_EQ(profile.lockEncoding, LockEncoding::Bits1And0);
                break;
        }
    }
}

TEST(DeviceProfiles, FusesAreWrittenOnlyWhereTheyAreReadAndInTheSameWay) {
    for (const DeviceProfile& profile : DeviceProfiles()) {
        SCOPED_TRACE(NameOf(profile));
        const ConfigBytesRead read = profile.bytesRead;
        if (profile.highFuse) {
            EXPECT_TRUE(read == ConfigBytesRead::LockLowHigh ||
                        read == ConfigBytesRead::LockLowHighExtended);
        }
        if (profile.extendedFuse) {
            EXPECT_EQ(read, ConfigBytesRead::LockLowHighExtended);
        }
        // The instruction forms of the serial writes belong to chips the serial board also
        // reads by instruction.
        if (profile.serialLowFuse == SerialLowFuseForm::WholeByte ||
            profile.serialLockThroughInstruction) {
            EXPECT_TRUE(profile.serialReadsByInstruction);
        }
    }
}

}  // namespace
}  // namespace zentaro
