// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/codec.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace zentaro {
namespace {

using B = ConfigByte;

ConfigBytes Bytes(uint8_t lock, uint8_t low, uint8_t high = 0xFF, uint8_t extended = 0xFF) {
    return {lock, low, high, extended};
}

ControlState Read(uint32_t code, const ConfigBytes& bytes, bool fusesDenied = false) {
    const DeviceLayout layout = LayoutForDevice(ProfileForCode(code));
    ControlState state = InitialControls(layout);
    ApplyBytes(state, layout, bytes, fusesDenied);
    return state;
}

ConfigBytes Write(uint32_t code, const ControlState& state) {
    return ComposeBytes(state, LayoutForDevice(ProfileForCode(code)));
}

const BoxState& Box(const ControlState& state, Control id) {
    return *state.FindBox(id);
}

std::vector<std::string> VisibleLabels(const ControlState& state) {
    std::vector<std::string> labels;
    for (const BoxState& box : state.boxes) {
        if (box.visible) {
            labels.push_back(box.label);
        }
    }
    return labels;
}

// Bits 2k+1..2k of v equal pattern.
bool Pair(uint8_t v, unsigned lowBit, unsigned pattern) {
    return ((v >> lowBit) & 3) == pattern;
}

struct RoundTrip {
    uint32_t code;
    ConfigByte byte;
    uint8_t covered;  // bits some control stands for
    // False for values a control cannot show as they are (a reserved two-bit code, a lock
    // value that leaves the mode alone).
    std::function<bool(uint8_t)> shown = [](uint8_t) { return true; };
};

// Reading a byte and writing it back returns every covered bit unchanged and every other
// bit as 1, whatever the other bytes hold.
TEST(CodecRoundTrip, CoveredBitsSurviveReadAndWriteForEveryClass) {
    auto bod = [](unsigned lowBit) { return [=](uint8_t v) { return !Pair(v, lowBit, 1); }; };
    // Every class with fuses but ClockFromZeroByte, each covered byte of one or two devices of
    // the class.
    const std::vector<RoundTrip> cases = {
        {0x13, B::Low, 0x21},
        {0x4C, B::Low, 0x21},
        {0x30, B::Low, 0x3F, bod(3)},
        {0x34, B::Lock, 0x06, bod(1)},
        {0x42, B::Low, 0x2B},
        {0x41, B::Lock, 0x06, bod(1)},
        {0x50, B::Low, 0x1F, [](uint8_t v) { return (v & 7) == 0 || (v & 7) >= 4; }},
        {0x55, B::Low, 0xFF, bod(6)},
        {0x56, B::Low, 0xF3, bod(6)},
        {0x58, B::Low, 0x1F},
        {0x5C, B::Lock, 0x06, bod(1)},
        {0x5E, B::Low, 0xFF},
        {0x5E, B::High, 0x1F, bod(0)},
        {0x5E, B::Lock, 0x03, bod(0)},
        {0x71, B::Low, 0x03},
        {0x71, B::Lock, 0x03, bod(0)},
        {0x60, B::Low, 0x7F},
        {0x61, B::Lock, 0x3F, bod(0)},
        {0x64, B::Low, 0xEF},
        {0x67, B::High, 0x07},
        {0x65, B::Lock, 0x3F, bod(0)},
        {0x72, B::Low, 0xCF},
        {0x73, B::High, 0xEF},
        {0x3A, B::Low, 0xFF, bod(6)},
        {0x3B, B::High, 0xFF},
        {0x74, B::Low, 0xFF, bod(6)},
        {0x75, B::High, 0xFF},
        {0x76, B::Low, 0xFF, bod(6)},
        {0x77, B::High, 0xFF},
        {0x43, B::Low, 0xFF, bod(6)},
        {0x44, B::High, 0xFF},
        {0x43, B::Extended, 0x03},
        {0x44, B::Lock, 0x3F, bod(0)}};
    const uint8_t others[] = {0xFF, 0x00, 0xA5, 0x5A, 0x3C};
    for (const RoundTrip& c : cases) {
        for (uint8_t other : others) {
            for (int v = 0; v < 256; ++v) {
                const auto value = static_cast<uint8_t>(v);
                if (!c.shown(value)) {
                    continue;
                }
                ConfigBytes in = Bytes(other, other, other, other);
                in[c.byte] = value;
                const ConfigBytes out = Write(c.code, Read(c.code, in));
                SCOPED_TRACE(::testing::Message() << "code 0x" << std::hex << c.code << " byte "
                                                  << static_cast<int>(c.byte) << " value 0x" << v
                                                  << " others 0x" << int{other});
                ASSERT_EQ(out[c.byte] & c.covered, value & c.covered);
                ASSERT_EQ(out[c.byte] | c.covered, 0xFF);
            }
        }
    }
}

struct BoxBit {
    uint32_t code;
    ConfigByte byte;
    unsigned bit;
    std::string label;
};

// Clearing one bit ticks exactly the box that stands for it, under the right label.
TEST(CodecBoxes, EachBitTicksItsLabelledBox) {
    const std::string spi = "&SPI 启用  ";
    const std::vector<BoxBit> boxes = {{0x20, B::Low, 5, spi},
                                       {0x34, B::Low, 5, spi},
                                       {0x41, B::Low, 5, spi},
                                       {0x41, B::Low, 3, "&EESave"},
                                       {0x51, B::Low, 3, "&Reset Disable"},
                                       {0x51, B::Low, 4, "&Fast Start"},
                                       {0x55, B::Low, 5, spi},
                                       {0x56, B::Low, 4, "&Reset Disable"},
                                       {0x5C, B::Low, 4, "&INTCAP"},
                                       {0x5E, B::High, 3, spi},
                                       {0x5E, B::High, 4, "&RSTDISBL"},
                                       {0x5E, B::High, 2, "&EESAVE"},
                                       {0x5E, B::Low, 7, "&PLLCK"},
                                       {0x71, B::Low, 0, "BigMem"},
                                       {0x71, B::Low, 1, "Clockdiv"},
                                       {0x61, B::Low, 5, spi},
                                       {0x61, B::Low, 6, "&BOOTRST"},
                                       {0x64, B::Low, 5, spi},
                                       {0x64, B::High, 0, "&BOOTRST"},
                                       {0x72, B::High, 5, spi},
                                       {0x72, B::High, 3, "&EESAVE"},
                                       {0x72, B::High, 7, "&OCD Enable"},
                                       {0x72, B::High, 6, "&JTAG Enable"},
                                       {0x3A, B::High, 5, spi},
                                       {0x3A, B::High, 0, "&BOOTRST"},
                                       {0x3A, B::High, 7, "&RCOMP"},
                                       {0x3A, B::High, 6, "&WDTON"},
                                       {0x75, B::High, 7, "&OCD Enable"},
                                       {0x75, B::High, 6, "&JTAG Enable"},
                                       {0x76, B::High, 6, "WDTON"},
                                       {0x76, B::High, 7, "Reset Disable"},
                                       {0x44, B::Extended, 1, "&QCOMP"},
                                       {0x44, B::Extended, 0, "&WDTON"}};
    for (const BoxBit& b : boxes) {
        SCOPED_TRACE(::testing::Message() << "code 0x" << std::hex << b.code << " " << b.label);
        ConfigBytes in;
        in[b.byte] = static_cast<uint8_t>(~(1u << b.bit));
        const ControlState state = Read(b.code, in);
        std::vector<std::string> ticked;
        for (const BoxState& box : state.boxes) {
            if (box.ticked) {
                ticked.push_back(box.label);
            }
        }
        EXPECT_EQ(ticked, std::vector<std::string>{b.label});
    }
}

TEST(CodecBoxes, BoxReadAsOneIsUntickedAndWrittenBackAsOne) {
    const ControlState state = Read(0x43, Bytes(0xFF, 0xFF, 0xFF, 0xFF));
    for (const BoxState& box : state.boxes) {
        EXPECT_FALSE(box.ticked) << box.label;
    }
    EXPECT_EQ(Write(0x43, state).extended, 0xFF);
    EXPECT_EQ(Write(0x43, state).high & 0xF9, 0xF9);  // every box bit of the high byte
}

TEST(CodecBoxes, LabelsShownPerClass) {
    EXPECT_TRUE(VisibleLabels(InitialControls(LayoutForDevice(ProfileForCode(0x86)))).empty());
    EXPECT_TRUE(VisibleLabels(InitialControls(LayoutForDevice(ProfileForCode(0x10)))).empty());
    EXPECT_EQ(VisibleLabels(InitialControls(LayoutForDevice(ProfileForCode(0x51)))),
              (std::vector<std::string>{"&Reset Disable", "&Fast Start"}));
    // Left column top to bottom, then the right column; the clock option box follows the
    // clock (entry 0).
    EXPECT_EQ(VisibleLabels(InitialControls(LayoutForDevice(ProfileForCode(0x43)))),
              (std::vector<std::string>{"&SPI 启用  ", "&BOOTRST", "&EESAVE", "&QCOMP",
                                        "&OCD Enable", "&JTAG Enable", "&INTCAP", "&WDTON"}));
}

TEST(CodecClockFromZeroByte, SingleByteDecodedByItsOwnRules) {
    // Bits 7-6: 00 mode 1, 10 mode 2, 11 mode 3.
    EXPECT_EQ(Read(0x10, Bytes(0xFF, 0x3F)).lock.selected, 0);
    EXPECT_EQ(Read(0x10, Bytes(0xFF, 0xBF)).lock.selected, 1);
    EXPECT_EQ(Read(0x11, Bytes(0xFF, 0xFF)).lock.selected, 2);
    // Its box is ticked when bit 5 is 1 and never shown; ticked still clears bit 5.
    const ControlState ticked = Read(0x10, Bytes(0xFF, 0x20));
    EXPECT_TRUE(Box(ticked, Control::SpiEnableBox).ticked);
    EXPECT_FALSE(Box(ticked, Control::SpiEnableBox).visible);
    EXPECT_EQ(Write(0x10, ticked).low & 0x20, 0);
    EXPECT_FALSE(Box(Read(0x10, Bytes(0xFF, 0xDF)), Control::SpiEnableBox).ticked);
    // The clock is "Ext XTAL" only when the whole byte is zero; written as bit 0.
    EXPECT_EQ(Read(0x10, Bytes(0xFF, 0x00)).clock.selected, 1);
    EXPECT_EQ(Read(0x10, Bytes(0xFF, 0x01)).clock.selected, 0);
    EXPECT_EQ(Read(0x10, Bytes(0xFF, 0xFE)).clock.selected, 0);
    EXPECT_EQ(Write(0x10, Read(0x10, Bytes(0xFF, 0x00))).low & 0x01, 0x01);
    EXPECT_EQ(Write(0x10, Read(0x10, Bytes(0xFF, 0x3F))).low & 0x01, 0x00);
}

TEST(CodecLock, WrittenLockBytePerDeviceGroup) {
    struct Expect {
        uint32_t code;
        std::vector<uint8_t> bytes;
    };
    const std::vector<Expect> expected = {
        {0x10, {0xFF, 0x7F, 0x3F}}, {0x13, {0xFF, 0xFD, 0xF9}},       {0x56, {0xFF, 0xFD, 0xF9}},
        {0x70, {0xFF, 0xFD, 0xF9}}, {0x5E, {0xFF, 0xFE, 0xFC}},       {0x71, {0xFF, 0xFE, 0xFC}},
        {0x44, {0xFF, 0xFE, 0xFC}}, {0x86, {0xFF, 0x70, 0x30, 0x10}}, {0x12, {0xFF, 0xFF, 0xFF}},
        {0x80, {0xFF, 0xFF, 0xFF}}, {0x81, {0xFF, 0xFF, 0xFF}},       {0x87, {0xFF, 0xFF, 0xFF}},
    };
    for (const Expect& e : expected) {
        const DeviceLayout layout = LayoutForDevice(ProfileForCode(e.code));
        ControlState state = InitialControls(layout);
        ASSERT_EQ(state.lock.entries.size(), e.bytes.size()) << std::hex << e.code;
        for (size_t mode = 0; mode < e.bytes.size(); ++mode) {
            state.lock.selected = static_cast<int>(mode);
            EXPECT_EQ(ComposeBytes(state, layout).lock, e.bytes[mode])
                << std::hex << e.code << " mode " << mode + 1;
        }
    }
}

TEST(CodecLock, BootLockBitsClearedOnTopOfTheMode) {
    const DeviceLayout layout = LayoutForDevice(ProfileForCode(0x60));
    ControlState state = InitialControls(layout);
    const uint8_t blb0[] = {0xFF, 0xFB, 0xF3, 0xF7};
    const uint8_t blb1[] = {0xFF, 0xEF, 0xCF, 0xDF};
    for (int i = 0; i < 4; ++i) {
        state.blb0.selected = i;
        state.blb1.selected = 0;
        state.lock.selected = 2;
        EXPECT_EQ(ComposeBytes(state, layout).lock, blb0[i] & 0xFC);
        state.blb0.selected = 0;
        state.blb1.selected = i;
        state.lock.selected = 0;
        EXPECT_EQ(ComposeBytes(state, layout).lock, blb1[i]);
    }
}

TEST(CodecLock, UnchangedBandKeepsModeAndFuseControls) {
    struct Band {
        uint32_t code;
        ConfigBytes unchanged;
        ConfigBytes modeTwo;
    };
    const std::vector<Band> bands = {
        {0x10, Bytes(0xFF, 0x7F), Bytes(0xFF, 0xBF)},  // bits 7-6 of the byte read
        {0x13, Bytes(0xFF, 0xBF), Bytes(0xFF, 0x7F)},  // combined byte, 10 unchanged
        {0x30, Bytes(0xFB, 0xFF), Bytes(0xFD, 0xFF)},  // lock bits 2-1, 01 unchanged
        {0x74, Bytes(0xFD, 0xFF), Bytes(0xFE, 0xFF)},  // lock bits 1-0, 01 unchanged
    };
    for (const Band& band : bands) {
        SCOPED_TRACE(::testing::Message() << "code 0x" << std::hex << band.code);
        const DeviceLayout layout = LayoutForDevice(ProfileForCode(band.code));
        ControlState state = InitialControls(layout);
        ApplyBytes(state, layout, band.modeTwo, false);
        ASSERT_EQ(state.lock.selected, 1);
        ASSERT_FALSE(state.fuseGroupEnabled);
        const ControlState before = state;
        ApplyBytes(state, layout, band.unchanged, false);
        EXPECT_EQ(state.lock, before.lock);
        EXPECT_EQ(state.fuseGroupEnabled, before.fuseGroupEnabled);
        EXPECT_EQ(state.clock.enabled, before.clock.enabled);
    }
}

TEST(CodecLock, ModeReadEnablesTheClassFuseControlsUnlessDenied) {
    // SixteenClocksBootBlock: its two boxes, clock, BOD, boot block and the group.
    ControlState open = Read(0x64, Bytes(0xFF, 0xFF));
    EXPECT_TRUE(open.fuseGroupEnabled);
    EXPECT_TRUE(Box(open, Control::SpiEnableBox).enabled &&
                Box(open, Control::BootResetBox).enabled);
    EXPECT_TRUE(open.clock.enabled && open.bod.enabled && open.bootBlock.enabled);
    EXPECT_FALSE(Box(open, Control::EepromSaveBox).enabled);

    const ControlState locked = Read(0x64, Bytes(0xFC, 0xFF));
    EXPECT_EQ(locked.lock.selected, 2);
    EXPECT_FALSE(locked.fuseGroupEnabled || Box(locked, Control::SpiEnableBox).enabled ||
                 locked.clock.enabled);

    const ControlState denied = Read(0x64, Bytes(0xFF, 0xFF), true);
    EXPECT_EQ(denied.lock.selected, 0);
    EXPECT_FALSE(denied.clock.enabled || Box(denied, Control::SpiEnableBox).enabled);

    // BigMemClockdiv has no clock list: only its two boxes follow the mode.
    const ControlState bigMem = Read(0x71, Bytes(0xFF, 0xFF));
    EXPECT_TRUE(Box(bigMem, Control::SpiEnableBox).enabled &&
                Box(bigMem, Control::BootResetBox).enabled);
    EXPECT_FALSE(bigMem.clock.enabled || bigMem.clock.visible);
}

TEST(CodecLock, DescriptionFollowsTheSelection) {
    EXPECT_EQ(Read(0x56, Bytes(0xF9, 0xFF)).lockDescription, "加密效果:禁止校验和编程        ");
    const DeviceLayout dunmor = LayoutForDevice(ProfileForCode(0x86));
    ControlState state = InitialControls(dunmor);
    EXPECT_EQ(state.lockDescription, "No internal memory lock features");
    state.lock.selected = 3;
    ShowLockDescription(state, dunmor);
    EXPECT_EQ(state.lockDescription, "Same as mode 3 and external exec. disabled");

    ControlState boot = Read(0x44, Bytes(0xDF & 0xF7, 0xFF));  // BLB1 01, BLB0 01
    ShowBlb0Description(boot);
    EXPECT_EQ(boot.lockDescription, "No LPM Application section");
    boot.blb1.selected = 2;
    ShowBlb1Description(boot);
    EXPECT_EQ(boot.lockDescription, "No LPM, No SPM Boot Loader section");
}

TEST(CodecClock, StartupListIdenticalFirstEntriesWriteDifferentCodes) {
    const DeviceLayout layout = LayoutForDevice(ProfileForCode(0x56));
    ControlState state = InitialControls(layout);
    ASSERT_EQ(state.clock.entries[0], state.clock.entries[1]);
    state.clock.selected = 0;
    EXPECT_EQ(ComposeBytes(state, layout).low & 0x03, 0x00);
    state.clock.selected = 1;
    EXPECT_EQ(ComposeBytes(state, layout).low & 0x03, 0x01);
    EXPECT_EQ(Read(0x56, Bytes(0xFF, 0xFD)).clock.selected, 1);
}

TEST(CodecClock, FiveSourcesValuesWithoutEntryKeepThePreviousSelection) {
    const DeviceLayout layout = LayoutForDevice(ProfileForCode(0x50));
    ControlState state = InitialControls(layout);
    ApplyBytes(state, layout, Bytes(0xFF, 0xF6), false);  // 110: "Ext LFXTAL"
    EXPECT_EQ(state.clock.entries[static_cast<size_t>(state.clock.selected)], "Ext LFXTAL");
    for (int low : {0xF9, 0xFA, 0xFB}) {  // field values 1, 2, 3
        ApplyBytes(state, layout, Bytes(0xFF, static_cast<uint8_t>(low)), false);
        EXPECT_EQ(state.clock.selected, 3);
    }
    EXPECT_EQ(ComposeBytes(state, layout).low & 0x07, 0x06);
    ApplyBytes(state, layout, Bytes(0xFF, 0xF8), false);
    EXPECT_EQ(state.clock.entries[static_cast<size_t>(state.clock.selected)], "Ext Clock");
}

TEST(CodecClock, ClockListFollowsTheBodSelectionKeepingTheIndex) {
    const DeviceLayout layout = LayoutForDevice(ProfileForCode(0x60));
    ControlState state = InitialControls(layout);
    EXPECT_TRUE(state.clock.entries.empty());

    // BOD on (bit 3 = 0), clock index 0b1010: bits 2-0 = 010, bit 4 = 1.
    ApplyBytes(state, layout, Bytes(0xFF, 0xF2), false);
    EXPECT_EQ(state.bod.selected, 1);
    EXPECT_EQ(state.clock.selected, 10);
    EXPECT_EQ(state.clock.entries[10], "BOD level 2.7V, Startup: 67ms + 16K CK");

    state.bod.selected = 0;
    BodChanged(state, layout);
    EXPECT_EQ(state.clock.selected, 10);
    EXPECT_EQ(state.clock.entries[10], "Startup: 67ms + 16K CK");
    EXPECT_EQ(ComposeBytes(state, layout).low & 0x1F, 0x1A);
}

TEST(CodecBod, TwoBitCodesAndTheReservedValue) {
    // EightClocksAndBod on low bits 4-3: entries write 11, 10, 00; 01 reads as entry 0.
    const DeviceLayout eightClocks = LayoutForDevice(ProfileForCode(0x30));
    ControlState state = InitialControls(eightClocks);
    const uint8_t written[] = {0x18, 0x10, 0x00};
    for (int i = 0; i < 3; ++i) {
        state.bod.selected = i;
        EXPECT_EQ(ComposeBytes(state, eightClocks).low & 0x18, written[i]);
    }
    EXPECT_EQ(Read(0x30, Bytes(0xFF, 0xEF)).bod.selected, 0);
    // SixteenClocksBootBlock on low bits 7-6: 11, 01, 10, 00.
    EXPECT_EQ(Read(0x64, Bytes(0xFF, 0x7F)).bod.entries[1], "Bodlevel 4.0V");
    EXPECT_EQ(Read(0x64, Bytes(0xFF, 0x7F)).bod.selected, 1);
    EXPECT_EQ(Read(0x64, Bytes(0xFF, 0xBF)).bod.selected, 2);
    // ThirteenSourcesPll keeps its BOD in the high byte.
    EXPECT_EQ(Read(0x5E, Bytes(0xFF, 0xFF, 0xFC)).bod.selected, 2);
    EXPECT_EQ(Read(0x5E, Bytes(0xFF, 0xFF, 0xFC)).bod.entries[2], "BOD enabled, 4.0V");
}

}  // namespace
}  // namespace zentaro
