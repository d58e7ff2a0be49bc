// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <span>

#include "catalogue/device_table.h"

namespace zentaro {

// The lock and fuse layout families; every device belongs to exactly one. The order is the
// families' numbering in the chip table the documentation shows.
enum class LayoutClass {
    NoFuses,
    ClockFromZeroByte,  // one combined byte; its clock bit reads set only when the byte is 0
    SpiAndClockBit,
    EightClocksAndBod,
    StartupAndEepromSave,
    FiveSourcesFastStart,
    SixteenClocksResetAndBod,
    StartupResetAndBod,
    SixteenClocksIntcap,
    ThirteenSourcesPll,
    BigMemClockdiv,
    ClockListFollowsBod,
    SixteenClocksBootBlock,
    SixteenClocksBootBlockJtag,
    ThirteenSourcesRcomp,
    ThirteenSourcesJtag,
    ThirteenSourcesResetDisable,
    ThirteenSourcesExtendedByte,
};

// The SpiAndClockBit devices share one fuse layout but name their one-bit clock choice
// differently.
enum class ClockListVariant {
    OfClass,        // the class decides (every class but SpiAndClockBit)
    IntRcExtXtal,   // "Int RC" / "Ext XTAL"
    IntRcExtClock,  // "Int RC" / "Ext clock"
    StartupDelay,   // start-up 1 ms / 16 ms
};

// The lock byte written for each lock mode.
enum class LockEncoding {
    NeverLocks,  // every mode writes 0xFF
    Bits7And6,   // 0xFF, 0x7F, 0x3F
    Bits2And1,   // 0xFF, 0xFD, 0xF9
    Bits1And0,   // 0xFF, 0xFE, 0xFC
    FourModes,   // four modes: 0xFF, 0x70, 0x30, 0x10
};

// Where a read finds the lock mode, and which two-bit values mean which mode.
enum class LockReadRule {
    NotRead,               // a read leaves the lock mode alone
    LowBits7And6,          // low byte: 00 mode 1, 10 mode 2, 11 mode 3, 01 kept
    LowBits7And6Inverted,  // low byte: 11 mode 1, 01 mode 2, 00 mode 3, 10 kept
    LockBits2And1,         // lock byte: 11 mode 1, 10 mode 2, 00 mode 3, 01 kept
    LockBits1And0,         // as LockBits2And1, one bit lower
};

// The configuration bytes a read fetches.
enum class ConfigBytesRead {
    CombinedByte,  // one byte carrying lock and fuse bits together
    LockLow,
    LockLowHigh,
    LockLowHighExtended,
};

// How the serial low-fuse write carries the value.
enum class SerialLowFuseForm {
    BitsInInstruction,  // five fuse bits inside the instruction's second byte
    WholeByte,          // the whole byte after the instruction
};

enum class CalibrationSource {
    None,       // empty text
    NoSupport,  // "No_support"
    Chip,       // read from the chip: 'h', or the pass-through instruction on a serial board
};

enum class BootSizeKind {
    NoBootSection,
    Fixed,         // always `words`
    HalvedByFuse,  // `words` at high-fuse field 0; each step of the two-bit field halves it
};

struct BootRule {
    BootSizeKind kind = BootSizeKind::NoBootSection;
    uint32_t words = 0;
};

// Everything the program decides per chip: the table row the board knows, and beside it
// the rules the layers above it follow. A row states only what differs from the defaults.
struct DeviceProfile {
    DeviceRecord record{};

    LayoutClass layoutClass = LayoutClass::NoFuses;
    ClockListVariant clockList = ClockListVariant::OfClass;
    LockEncoding lockEncoding = LockEncoding::NeverLocks;
    LockReadRule lockRead = LockReadRule::NotRead;

    ConfigBytesRead bytesRead = ConfigBytesRead::CombinedByte;
    // A serial board reads through pass-through instructions instead of the read letters.
    bool serialReadsByInstruction = false;

    SerialLowFuseForm serialLowFuse = SerialLowFuseForm::BitsInInstruction;
    bool highFuse = false;
    bool extendedFuse = false;
    // A serial board writes the lock byte through an instruction instead of 'l'.
    bool serialLockThroughInstruction = false;
    // A serial board leaves programming mode right after the low-fuse write.
    bool leavesProgModeAfterSerialLowFuse = false;

    CalibrationSource calibration = CalibrationSource::None;
    BootRule boot{};
    // Flash is written a whole page at a time, blank words included.
    bool pageMode = false;
    // The chip erase only completes when programming mode is left right after it.
    bool erasedByLeavingProgrammingMode = false;
    // An encrypted image is followed by locking the chip.
    bool lockAfterEncryptedImage = true;
};

// The 44 profiles, in the order of DeviceTable().
std::span<const DeviceProfile> DeviceProfiles();

// The profile of the first row with this code; the defaults of DeviceProfile (and an empty
// record) when no row has it.
const DeviceProfile& ProfileForCode(uint32_t deviceCode);
// The profile of the record's device code.
const DeviceProfile& ProfileFor(const DeviceRecord& record);

}  // namespace zentaro
