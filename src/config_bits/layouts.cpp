// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/layouts.h"

namespace zentaro {

namespace {

using Entries = std::vector<std::string>;
using C = Control;
using B = ConfigByte;

constexpr const char* kSpiEnable = "&SPI 启用  ";

// A field whose entry index is its value; values without an entry keep the selection.
BitField IndexField(ConfigByte byte, uint8_t lowBit, uint8_t width, int count) {
    BitField field{byte, {}, {}, {}};
    for (uint8_t i = 0; i < width; ++i) {
        field.bits.push_back(static_cast<uint8_t>(lowBit + i));
    }
    for (int value = 0; value < (1 << width); ++value) {
        if (value < count) {
            field.writeCodes.push_back(static_cast<uint8_t>(value));
        }
        field.readEntries.push_back(value < count ? value : kKeepSelection);
    }
    return field;
}

// Lock modes 1, 2, 3 read from a two-bit field, one value of which leaves the mode alone.
BitField LockReadField(ConfigByte byte, uint8_t lowBit, std::vector<int> entries) {
    return {byte, {lowBit, static_cast<uint8_t>(lowBit + 1)}, {}, std::move(entries)};
}

// "No BOD", "enabled, lower level", "enabled, higher level" on two bits: 11, 10, 00.
BitField BodThreeWay(ConfigByte byte, uint8_t lowBit) {
    return {byte, {lowBit, static_cast<uint8_t>(lowBit + 1)}, {3, 2, 0}, {2, 0, 1, 0}};
}

const Entries& BodEntries27And40() {
    static const Entries entries{"No BOD function", "BOD enabled, 2.7V", "BOD enabled, 4.0V"};
    return entries;
}

const Entries& L16() {
    static const Entries entries{
        "Ext Clock, Startup: 4.2ms + 6 CK",   "Ext Clock, Startup: 30us + 6 CK",
        "Int RCosc, Startup: 67ms + 6 CK",    "Int RCosc, Startup: 4.2ms + 6 CK",
        "Int RCosc, Startup: 30us + 6 CK",    "Ext RCosc, Startup: 67ms + 6 CK",
        "Ext RCosc, Startup: 4.2ms + 6 CK",   "Ext RCosc, Startup: 30us + 6 CK",
        "Ext LFXTAL, Startup: 67ms + 32K CK", "Ext LFXTAL, Startup: 67ms + 1K CK",
        "Ext XTAL, Startup: 67ms + 16K CK",   "Ext XTAL, Startup: 4.2ms + 16K CK",
        "Ext XTAL, Startup: 30us + 16K CK",   "Ext XTAL, Startup: 67ms + 1K CK",
        "Ext XTAL, Startup: 4.2ms + 1K CK",   "Ext XTAL, Startup: 30us + 1K CK",
    };
    return entries;
}

const Entries& L13() {
    static const Entries entries{
        "Ext Clock",
        "Int RCosc, Frequency 1MHz",
        "Int RCosc, Frequency 2MHz",
        "Int RCosc, Frequency 4MHz",
        "Int RCosc, Frequency 8MHz",
        "Ext RCosc, Frequency ~100KHz",
        "Ext RCosc, Frequency ~2MHz",
        "Ext RCosc, Frequency ~8MHz",
        "Ext RCosc, Frequency ~12MHz",
        "Ext LFXTAL",
        "Ext XTAL, Low frequency",
        "Ext XTAL, Medium frequency",
        "Ext XTAL, High frequency",
    };
    return entries;
}

void SetList(DeviceLayout& layout, Entries entries, BitField field) {
    layout.clockKind = ClockKind::List;
    layout.clockEntries = std::move(entries);
    layout.clockField = std::move(field);
}

void SetL13(DeviceLayout& layout) {
    layout.clockKind = ClockKind::L13;
    layout.clockEntries = L13();
}

void SetBod(DeviceLayout& layout, Entries entries, BitField field) {
    layout.bodEntries = std::move(entries);
    layout.bodField = std::move(field);
}

void SetBootBlock(DeviceLayout& layout, Entries entries) {
    layout.bootBlockEntries = std::move(entries);
    layout.bootBlockField = IndexField(B::High, 1, 2, 4);
}

// The boxes shared by K14, K15, K16 and K17; 1045 and 1046 differ between them.
std::vector<BoxLayout> HighFuseBoxes(BoxLayout box1045, BoxLayout box1046) {
    return {
        {C::Box1042, kSpiEnable, B::High, 5},
        {C::Box1043, "&BOOTRST", B::High, 0},
        {C::Box1044, "&EESAVE", B::High, 3},
        std::move(box1045),
        std::move(box1046),
        {C::Box1047, "", B::High, 4, true},
    };
}

std::vector<uint8_t> LockBytes(LockEncoding encoding) {
    switch (encoding) {
        case LockEncoding::NeverLocks:
            return {0xFF, 0xFF, 0xFF};
        case LockEncoding::Bits7And6:
            return {0xFF, 0x7F, 0x3F};
        case LockEncoding::Bits2And1:
            return {0xFF, 0xFD, 0xF9};
        case LockEncoding::Bits1And0:
            return {0xFF, 0xFE, 0xFC};
        case LockEncoding::FourModes:
            return {0xFF, 0x70, 0x30, 0x10};
    }
    return {};
}

void SetLockModes(DeviceLayout& layout, LockEncoding encoding) {
    layout.lockBytes = LockBytes(encoding);
    if (encoding == LockEncoding::FourModes) {
        layout.lockModes = {"方式 1", "方式 2", "方式 3", "方式 4"};
        layout.lockDescriptions = {
            "No internal memory lock features",
            "No external MOVC. Flash prog disabled",
            "Same as mode 2 and verify disabled",
            "Same as mode 3 and external exec. disabled",
        };
        return;
    }
    layout.lockModes = {"方式 1", "方式 2", "方式 3"};
    layout.lockDescriptions = {
        "没有程序加密            ",
        "加密效果:禁止 Flash 编程  ",
        "加密效果:禁止校验和编程        ",
    };
}

std::optional<BitField> LockRead(LockReadRule rule) {
    switch (rule) {
        case LockReadRule::NotRead:
            return std::nullopt;
        case LockReadRule::LowBits7And6:
            return LockReadField(B::Low, 6, {0, kKeepSelection, 1, 2});
        case LockReadRule::LowBits7And6Inverted:
            return LockReadField(B::Low, 6, {2, 1, kKeepSelection, 0});
        case LockReadRule::LockBits2And1:
            return LockReadField(B::Lock, 1, {2, kKeepSelection, 1, 0});
        case LockReadRule::LockBits1And0:
            return LockReadField(B::Lock, 0, {2, kKeepSelection, 1, 0});
    }
    return std::nullopt;
}

Entries ClockListOf(ClockListVariant variant) {
    switch (variant) {
        case ClockListVariant::IntRcExtXtal:
            return {"Int RC", "Ext XTAL"};
        case ClockListVariant::IntRcExtClock:
            return {"Int RC", "Ext clock"};
        case ClockListVariant::StartupDelay:
        case ClockListVariant::OfClass:
            break;
    }
    return {"启动 1毫秒 ", "启动 16毫秒 "};
}

// Fills the fuse controls of a class: boxes, clock, BOD and boot-block lists.
void SetFuses(DeviceLayout& layout, ClockListVariant clockList) {
    switch (layout.layoutClass) {
        case LayoutClass::K0:
            layout.fuseControls = {};
            break;
        case LayoutClass::K1:
            layout.boxes = {{C::Box1042, "", B::Low, 5, false, false, true}};
            SetList(layout, {"Int RC", "Ext XTAL"}, IndexField(B::Low, 0, 1, 2));
            layout.clockFromZeroByte = true;
            layout.fuseControls = {C::Box1042, C::Clock};
            break;
        case LayoutClass::K2:
            layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5}};
            SetList(layout, ClockListOf(clockList), IndexField(B::Low, 0, 1, 2));
            layout.fuseControls = {C::Box1042, C::Clock};
            break;
        case LayoutClass::K3:
            layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5}};
            SetList(layout,
                    {"Ext Clock, Startup: 4ms + 6 CK", "Ext Clock, Startup: 6 CK",
                     "Ext XTAL, Startup: 64ms + 16K CK", "Ext XTAL, Startup: 4ms + 16K CK",
                     "Ext XTAL, Startup: 16K CK", "Ext XTAL, Startup: 64ms + 1K CK",
                     "Ext XTAL, Startup: 4ms + 1K CK", "Ext XTAL, Startup: 1K CK"},
                    IndexField(B::Low, 0, 3, 8));
            SetBod(layout, BodEntries27And40(), BodThreeWay(B::Low, 3));
            layout.fuseControls = {C::Box1042, C::Clock, C::Bod};
            break;
        case LayoutClass::K4:
            layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5},
                            {C::Box1043, "&EESave", B::Low, 3}};
            SetList(layout,
                    {"Startup      5 CK", "Startup      0.5ms", "Startup      4.0ms",
                     "Startup     16.0ms"},
                    IndexField(B::Low, 0, 2, 4));
            layout.fuseControls = {C::Box1042, C::Box1043, C::Clock};
            break;
        case LayoutClass::K5:
            layout.boxes = {{C::Box1042, "&Reset Disable", B::Low, 3},
                            {C::Box1043, "&Fast Start", B::Low, 4}};
            SetList(layout, {"Ext Clock", "Int RCosc", "Ext RCosc", "Ext LFXTAL", "Ext XTAL"},
                    {B::Low,
                     {0, 1, 2},
                     {0, 4, 5, 6, 7},
                     {0, kKeepSelection, kKeepSelection, kKeepSelection, 1, 2, 3, 4}});
            layout.fuseControls = {C::Box1042, C::Box1043, C::Clock};
            break;
        case LayoutClass::K6:
        case LayoutClass::K7:
            layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5},
                            {C::Box1043, "&Reset Disable", B::Low, 4}};
            if (layout.layoutClass == LayoutClass::K6) {
                SetList(layout, L16(), IndexField(B::Low, 0, 4, 16));
                SetBod(layout, {"No BOD function", "BOD enabled, 1.8V", "BOD enabled, 2.7V"},
                       BodThreeWay(B::Low, 6));
            } else {
                SetList(layout,
                        {"Startup 64ms + 18CK", "Startup 64ms + 18CK", "Startup 4ms + 18CK",
                         "Startup 8us + 18CK"},
                        IndexField(B::Low, 0, 2, 4));
                SetBod(layout, BodEntries27And40(), BodThreeWay(B::Low, 6));
            }
            layout.fuseControls = {C::Box1042, C::Box1043, C::Clock, C::Bod};
            break;
        case LayoutClass::K8:
            layout.boxes = {{C::Box1042, "&INTCAP", B::Low, 4}};
            SetList(layout, L16(), IndexField(B::Low, 0, 4, 16));
            layout.fuseControls = {C::Box1042, C::Clock};
            break;
        case LayoutClass::K9:
            layout.boxes = {
                {C::Box1042, kSpiEnable, B::High, 3}, {C::Box1043, "&RSTDISBL", B::High, 4},
                {C::Box1044, "&EESAVE", B::High, 2},  {C::Box1045, "&PLLCK", B::Low, 7},
                {C::Box1047, "", B::Low, 6, true},
            };
            SetL13(layout);
            SetBod(layout, BodEntries27And40(), BodThreeWay(B::High, 0));
            layout.fuseControls = {C::Box1042, C::Box1043, C::Box1044, C::Box1045,
                                   C::Box1047, C::Clock,   C::Bod,     C::Startup};
            break;
        case LayoutClass::K10:
            layout.boxes = {{C::Box1042, "BigMem", B::Low, 0}, {C::Box1043, "Clockdiv", B::Low, 1}};
            layout.fuseControls = {C::Box1042, C::Box1043};
            break;
        case LayoutClass::K11:
            layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5},
                            {C::Box1043, "&BOOTRST", B::Low, 6}};
            layout.clockKind = ClockKind::L16B;
            layout.clockField = BitField{B::Low, {0, 1, 2, 4}, {}, {}};
            for (int i = 0; i < 16; ++i) {
                layout.clockField->writeCodes.push_back(static_cast<uint8_t>(i));
                layout.clockField->readEntries.push_back(i);
            }
            SetBod(layout, {"No BOD function", "BOD enabled"}, {B::Low, {3}, {1, 0}, {1, 0}});
            layout.fuseControls = {C::Box1042, C::Box1043, C::Clock, C::Bod};
            break;
        case LayoutClass::K12:
        case LayoutClass::K13:
            SetList(layout, L16(), IndexField(B::Low, 0, 4, 16));
            SetBod(layout,
                   {"Bodlevel 2.7V", "Bodlevel 4.0V", "BOD enabled, 2.7V", "BOD enabled, 4.0V"},
                   {B::Low, {6, 7}, {3, 1, 2, 0}, {3, 1, 2, 0}});
            if (layout.layoutClass == LayoutClass::K12) {
                layout.boxes = {{C::Box1042, kSpiEnable, B::Low, 5},
                                {C::Box1043, "&BOOTRST", B::High, 0}};
                SetBootBlock(layout, {"Boot block 1024 Words", "Boot block 512 Words",
                                      "Boot block 256 Words", "Boot block 128 Words"});
                layout.fuseControls = {C::Box1042, C::Box1043, C::Clock, C::Bod, C::BootBlock};
            } else {
                layout.boxes = {
                    {C::Box1042, kSpiEnable, B::High, 5},
                    {C::Box1043, "&BOOTRST", B::High, 0},
                    {C::Box1044, "&EESAVE", B::High, 3},
                    {C::Box1045, "&OCD Enable", B::High, 7},
                    {C::Box1046, "&JTAG Enable", B::High, 6},
                };
                SetBootBlock(layout, {"Boot block 2048 Words", "Boot block 1024 Words",
                                      "Boot block 512 Words", "Boot block 256 Words"});
                layout.fuseControls = {C::Box1042, C::Box1043, C::Box1044, C::Box1045,
                                       C::Box1046, C::Clock,   C::Bod,     C::BootBlock};
            }
            break;
        case LayoutClass::K14:
        case LayoutClass::K15:
        case LayoutClass::K16:
        case LayoutClass::K17:
            if (layout.layoutClass == LayoutClass::K14) {
                layout.boxes = HighFuseBoxes({C::Box1045, "&RCOMP", B::High, 7},
                                             {C::Box1046, "&WDTON", B::High, 6});
            } else if (layout.layoutClass == LayoutClass::K16) {
                layout.boxes = HighFuseBoxes({C::Box1045, "WDTON", B::High, 6},
                                             {C::Box1046, "Reset Disable", B::High, 7});
            } else {
                layout.boxes = HighFuseBoxes({C::Box1045, "&OCD Enable", B::High, 7},
                                             {C::Box1046, "&JTAG Enable", B::High, 6});
            }
            SetL13(layout);
            SetBod(layout, BodEntries27And40(), BodThreeWay(B::Low, 6));
            if (layout.layoutClass == LayoutClass::K17) {
                layout.boxes.push_back({C::Box1088, "&QCOMP", B::Extended, 1});
                layout.boxes.push_back({C::Box1089, "&WDTON", B::Extended, 0});
                SetBootBlock(layout, {"Boot block 4096 Words", "Boot block 2048 Words",
                                      "Boot block 1024 Words", "Boot block 512 Words"});
                layout.fuseControls = {C::Box1042, C::Box1043, C::Box1044,   C::Box1088,
                                       C::Box1045, C::Box1046, C::Box1047,   C::Box1089,
                                       C::Clock,   C::Bod,     C::BootBlock, C::Startup};
            } else {
                SetBootBlock(layout, {"Boot block 1024 Words", "Boot block 512 Words",
                                      "Boot block 256 Words", "Boot block 128 Words"});
                layout.fuseControls = {C::Box1042,   C::Box1043, C::Box1044, C::Box1045,
                                       C::Box1046,   C::Box1047, C::Clock,   C::Bod,
                                       C::BootBlock, C::Startup};
            }
            break;
    }
}

}  // namespace

DeviceLayout LayoutForDevice(const DeviceProfile& profile) {
    DeviceLayout layout;
    layout.layoutClass = profile.layoutClass;
    layout.bootLock = layout.layoutClass >= LayoutClass::K11;
    SetLockModes(layout, profile.lockEncoding);
    layout.lockRead = LockRead(profile.lockRead);
    SetFuses(layout, profile.clockList);
    return layout;
}

const std::vector<std::string>& Blb0Entries() {
    static const Entries entries{"BLB0 Mode 1", "BLB0 Mode 2", "BLB0 Mode 3", "BLB0 Mode 4"};
    return entries;
}

const std::vector<std::string>& Blb1Entries() {
    static const Entries entries{"BLB1 Mode 1", "BLB1 Mode 2", "BLB1 Mode 3", "BLB1 Mode 4"};
    return entries;
}

const std::vector<std::string>& Blb0Descriptions() {
    static const Entries entries{
        "No lock Application section",
        "No SPM Application section",
        "No LPM, No SPM Application section",
        "No LPM Application section",
    };
    return entries;
}

const std::vector<std::string>& Blb1Descriptions() {
    static const Entries entries{
        "No lock Boot Loader section",
        "No SPM Boot Loader section",
        "No LPM, No SPM Boot Loader section",
        "No LPM Boot Loader section",
    };
    return entries;
}

// Entry 1 clears the lower bit, entry 2 both, entry 3 the upper one.
const BitField& Blb0Field() {
    static const BitField field{B::Lock, {2, 3}, {3, 2, 0, 1}, {2, 3, 1, 0}};
    return field;
}

const BitField& Blb1Field() {
    static const BitField field{B::Lock, {4, 5}, {3, 2, 0, 1}, {2, 3, 1, 0}};
    return field;
}

std::vector<std::string> L16BEntries(bool bodEnabled) {
    static const Entries times{
        "Startup: 5.8ms + 6 CK",   "Startup: 10us + 6 CK",   "Startup: 92ms + 16K CK",
        "Startup: 5.8ms + 16K CK", "Startup: 10us + 16K CK", "Startup: 92ms + 1K CK",
        "Startup: 5.8ms + 1K CK",  "Startup: 10us + 1K CK",  "Startup: 4.2ms + 6 CK",
        "Startup: 30us + 6 CK",    "Startup: 67ms + 16K CK", "Startup: 4.2ms + 16K CK",
        "Startup: 30us + 16K CK",  "Startup: 67ms + 1K CK",  "Startup: 4.2ms + 1K CK",
        "Startup: 30us + 1K CK",
    };
    if (!bodEnabled) {
        return times;
    }
    // The first eight start-up times belong to the 4.0 V level, the rest to 2.7 V.
    Entries entries;
    for (size_t i = 0; i < times.size(); ++i) {
        entries.push_back((i < 8 ? "BOD level 4.0V, " : "BOD level 2.7V, ") + times[i]);
    }
    return entries;
}

StartupChoice StartupForClock(int clockEntry) {
    if (clockEntry <= 4) {
        return {{"Startup: 6 CK", "Startup: 4ms + 6 CK", "Startup: 64ms + 6 CK",
                 "Startup: 64ms + 6 CK"},
                clockEntry <= 0 ? "&INTCAP" : ""};
    }
    if (clockEntry <= 8) {
        return {{"Startup: 18 CK", "Startup: 4ms + 18 CK", "Startup: 64ms + 18 CK",
                 "Startup: 4ms + 6 CK"},
                "&INTCAP"};
    }
    if (clockEntry == 9) {
        return {{"Startup: 4ms + 1K CK", "Startup: 64ms + 1K CK", "Startup: 64ms + 32K CK",
                 "Startup: 64ms + 32K CK"},
                "&INTCAP"};
    }
    return {{"Startup: 4ms + 258 CK", "Startup: 64 ms + 258 CK", "Startup: 1K CK",
             "Startup: 4 ms + 1K CK", "Startup: 64 ms + 1K CK", "Startup: 16K CK",
             "Startup: 4 ms + 16K CK", "Startup: 64 ms + 16K CK"},
            "&Full amplitude"};
}

}  // namespace zentaro
