// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/fuse_tables.h"

#include <algorithm>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace zentaro {

namespace {

using Entries = std::vector<std::string>;
using C = Control;
using B = ConfigByte;

// A field whose entry index is its value; values without an entry keep the selection.
BitField IndexField(ConfigByte byte, std::vector<uint8_t> bits, int count) {
    BitField field{byte, std::move(bits), {}, {}};
    for (int value = 0; value < (1 << field.bits.size()); ++value) {
        if (value < count) {
            field.writeCodes.push_back(static_cast<uint8_t>(value));
        }
        field.readEntries.push_back(value < count ? value : kKeepSelection);
    }
    return field;
}

BoxLayout SpiEnable(ConfigByte byte, uint8_t bit) {
    return {.box = C::SpiEnableBox,
            .label = "&SPI 启用  ",
            .byte = byte,
            .bit = bit,
            .lockout = Lockout::SerialProgrammingOff};
}

// The classes put it on different boxes, under different labels.
BoxLayout ResetDisable(Control box, std::string label, ConfigByte byte, uint8_t bit) {
    return {.box = box,
            .label = std::move(label),
            .byte = byte,
            .bit = bit,
            .lockout = Lockout::ResetDisabled};
}

BoxLayout BootReset(ConfigByte byte, uint8_t bit) {
    return {C::BootResetBox, "&BOOTRST", byte, bit};
}

BoxLayout EepromSave(ConfigByte byte, uint8_t bit) {
    return {C::EepromSaveBox, "&EESAVE", byte, bit};
}

BoxLayout OnChipDebug() {
    return {C::OnChipDebugBox, "&OCD Enable", B::High, 7};
}

BoxLayout JtagEnable() {
    return {C::JtagEnableBox, "&JTAG Enable", B::High, 6};
}

BoxLayout ClockOption(ConfigByte byte, uint8_t bit) {
    return {.box = C::ClockOptionBox, .byte = byte, .bit = bit, .labelFromClock = true};
}

ClockLayout ClockList(Entries entries, BitField field) {
    return {.kind = ClockKind::List, .entries = std::move(entries), .field = std::move(field)};
}

ClockLayout SixteenClocks() {
    return ClockList(
        {
            "Ext Clock, Startup: 4.2ms + 6 CK",
            "Ext Clock, Startup: 30us + 6 CK",
            "Int RCosc, Startup: 67ms + 6 CK",
            "Int RCosc, Startup: 4.2ms + 6 CK",
            "Int RCosc, Startup: 30us + 6 CK",
            "Ext RCosc, Startup: 67ms + 6 CK",
            "Ext RCosc, Startup: 4.2ms + 6 CK",
            "Ext RCosc, Startup: 30us + 6 CK",
            "Ext LFXTAL, Startup: 67ms + 32K CK",
            "Ext LFXTAL, Startup: 67ms + 1K CK",
            "Ext XTAL, Startup: 67ms + 16K CK",
            "Ext XTAL, Startup: 4.2ms + 16K CK",
            "Ext XTAL, Startup: 30us + 16K CK",
            "Ext XTAL, Startup: 67ms + 1K CK",
            "Ext XTAL, Startup: 4.2ms + 1K CK",
            "Ext XTAL, Startup: 30us + 1K CK",
        },
        IndexField(B::Low, {0, 1, 2, 3}, 16));
}

// Coded together with the start-up combo in low bits 5-0, so it has no field of its own.
ClockLayout ThirteenSources() {
    return {.kind = ClockKind::ThirteenSources,
            .entries = {
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
            }};
}

Entries DeviceClockEntries(ClockListVariant variant) {
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

// "No BOD function", then the two levels, on two bits: 11, 10, 00.
ListLayout BodThreeWay(std::string lower, std::string higher, ConfigByte byte, uint8_t lowBit) {
    return {{"No BOD function", "BOD enabled, " + lower, "BOD enabled, " + higher},
            {byte, {lowBit, static_cast<uint8_t>(lowBit + 1)}, {3, 2, 0}, {2, 0, 1, 0}}};
}

ListLayout Bod27And40(ConfigByte byte, uint8_t lowBit) {
    return BodThreeWay("2.7V", "4.0V", byte, lowBit);
}

// The level and the enable on two separate bits.
ListLayout BodLevelAndEnable() {
    return {{"Bodlevel 2.7V", "Bodlevel 4.0V", "BOD enabled, 2.7V", "BOD enabled, 4.0V"},
            {B::Low, {6, 7}, {3, 1, 2, 0}, {3, 1, 2, 0}}};
}

// Each step of the high byte's two-bit field halves the largest size.
ListLayout BootBlock(unsigned largestWords) {
    Entries entries;
    for (unsigned words = largestWords; entries.size() < 4; words /= 2) {
        entries.push_back("Boot block " + std::to_string(words) + " Words");
    }
    return {std::move(entries), IndexField(B::High, {1, 2}, 4)};
}

FuseLayout NoFuses() {
    return {};
}

// The box stands for the combined byte's bit 5, which is never shown.
FuseLayout ClockFromZeroByte() {
    return {.boxes = {{.box = C::SpiEnableBox,
                       .byte = B::Low,
                       .bit = 5,
                       .shown = false,
                       .tickedWhenOne = true}},
            .clock = {.kind = ClockKind::List,
                      .entries = {"Int RC", "Ext XTAL"},
                      .field = IndexField(B::Low, {0}, 2),
                      .readFromZeroByte = true}};
}

FuseLayout SpiAndClockBit() {
    return {
        .boxes = {SpiEnable(B::Low, 5)},
        .clock = {
            .kind = ClockKind::List, .field = IndexField(B::Low, {0}, 2), .namedByDevice = true}};
}

FuseLayout EightClocksAndBod() {
    return {
        .boxes = {SpiEnable(B::Low, 5)},
        .clock = ClockList({"Ext Clock, Startup: 4ms + 6 CK", "Ext Clock, Startup: 6 CK",
                            "Ext XTAL, Startup: 64ms + 16K CK", "Ext XTAL, Startup: 4ms + 16K CK",
                            "Ext XTAL, Startup: 16K CK", "Ext XTAL, Startup: 64ms + 1K CK",
                            "Ext XTAL, Startup: 4ms + 1K CK", "Ext XTAL, Startup: 1K CK"},
                           IndexField(B::Low, {0, 1, 2}, 8)),
        .bod = Bod27And40(B::Low, 3)};
}

FuseLayout StartupAndEepromSave() {
    return {.boxes = {SpiEnable(B::Low, 5), {C::BootResetBox, "&EESave", B::Low, 3}},
            .clock = ClockList({"Startup      5 CK", "Startup      0.5ms", "Startup      4.0ms",
                                "Startup     16.0ms"},
                               IndexField(B::Low, {0, 1}, 4))};
}

// Three of the eight field values have no entry.
FuseLayout FiveSourcesFastStart() {
    return {.boxes = {ResetDisable(C::SpiEnableBox, "&Reset Disable", B::Low, 3),
                      {C::BootResetBox, "&Fast Start", B::Low, 4}},
            .clock = ClockList({"Ext Clock", "Int RCosc", "Ext RCosc", "Ext LFXTAL", "Ext XTAL"},
                               {B::Low,
                                {0, 1, 2},
                                {0, 4, 5, 6, 7},
                                {0, kKeepSelection, kKeepSelection, kKeepSelection, 1, 2, 3, 4}})};
}

std::vector<BoxLayout> SpiAndResetDisable() {
    return {SpiEnable(B::Low, 5), ResetDisable(C::BootResetBox, "&Reset Disable", B::Low, 4)};
}

FuseLayout SixteenClocksResetAndBod() {
    return {.boxes = SpiAndResetDisable(),
            .clock = SixteenClocks(),
            .bod = BodThreeWay("1.8V", "2.7V", B::Low, 6)};
}

// The first two entries read alike but write different codes.
FuseLayout StartupResetAndBod() {
    return {.boxes = SpiAndResetDisable(),
            .clock = ClockList({"Startup 64ms + 18CK", "Startup 64ms + 18CK", "Startup 4ms + 18CK",
                                "Startup 8us + 18CK"},
                               IndexField(B::Low, {0, 1}, 4)),
            .bod = Bod27And40(B::Low, 6)};
}

FuseLayout SixteenClocksIntcap() {
    return {.boxes = {{C::SpiEnableBox, "&INTCAP", B::Low, 4}}, .clock = SixteenClocks()};
}

FuseLayout ThirteenSourcesPll() {
    return {.boxes = {SpiEnable(B::High, 3),
                      ResetDisable(C::BootResetBox, "&RSTDISBL", B::High, 4),
                      EepromSave(B::High, 2),
                      {C::OnChipDebugBox, "&PLLCK", B::Low, 7},
                      ClockOption(B::Low, 6)},
            .clock = ThirteenSources(),
            .bod = Bod27And40(B::High, 0)};
}

FuseLayout BigMemClockdiv() {
    return {.boxes = {{C::SpiEnableBox, "BigMem", B::Low, 0},
                      {C::BootResetBox, "Clockdiv", B::Low, 1}}};
}

// The clock list's texts follow the BOD selection; both share the low byte.
FuseLayout ClockListFollowsBod() {
    return {.bootLock = true,
            .boxes = {SpiEnable(B::Low, 5), BootReset(B::Low, 6)},
            .clock = {.kind = ClockKind::FollowsBod, .field = IndexField(B::Low, {0, 1, 2, 4}, 16)},
            .bod = ListLayout{{"No BOD function", "BOD enabled"}, {B::Low, {3}, {1, 0}, {1, 0}}}};
}

FuseLayout SixteenClocksWithBootBlock(std::vector<BoxLayout> boxes, unsigned largestWords) {
    return {.bootLock = true,
            .boxes = std::move(boxes),
            .clock = SixteenClocks(),
            .bod = BodLevelAndEnable(),
            .bootBlock = BootBlock(largestWords)};
}

FuseLayout SixteenClocksBootBlock() {
    return SixteenClocksWithBootBlock({SpiEnable(B::Low, 5), BootReset(B::High, 0)}, 1024);
}

FuseLayout SixteenClocksBootBlockJtag() {
    return SixteenClocksWithBootBlock({SpiEnable(B::High, 5), BootReset(B::High, 0),
                                       EepromSave(B::High, 3), OnChipDebug(), JtagEnable()},
                                      2048);
}

// The high byte's boxes; the two at the top of the right column differ between the classes.
FuseLayout ThirteenSourcesWithBootBlock(BoxLayout rightTop, BoxLayout rightSecond,
                                        unsigned largestWords) {
    return {.bootLock = true,
            .boxes = {SpiEnable(B::High, 5), BootReset(B::High, 0), EepromSave(B::High, 3),
                      std::move(rightTop), std::move(rightSecond), ClockOption(B::High, 4)},
            .clock = ThirteenSources(),
            .bod = Bod27And40(B::Low, 6),
            .bootBlock = BootBlock(largestWords)};
}

FuseLayout ThirteenSourcesRcomp() {
    return ThirteenSourcesWithBootBlock({C::OnChipDebugBox, "&RCOMP", B::High, 7},
                                        {C::JtagEnableBox, "&WDTON", B::High, 6}, 1024);
}

FuseLayout ThirteenSourcesJtag() {
    return ThirteenSourcesWithBootBlock(OnChipDebug(), JtagEnable(), 1024);
}

FuseLayout ThirteenSourcesResetDisable() {
    return ThirteenSourcesWithBootBlock({C::OnChipDebugBox, "WDTON", B::High, 6},
                                        ResetDisable(C::JtagEnableBox, "Reset Disable", B::High, 7),
                                        1024);
}

FuseLayout ThirteenSourcesExtendedByte() {
    FuseLayout layout = ThirteenSourcesWithBootBlock(OnChipDebug(), JtagEnable(), 4096);
    layout.boxes.push_back({C::QcompBox, "&QCOMP", B::Extended, 1});
    layout.boxes.push_back({C::WatchdogAlwaysOnBox, "&WDTON", B::Extended, 0});
    return layout;
}

struct ClassRow {
    LayoutClass layoutClass;
    FuseLayout (*make)();
};

constexpr ClassRow kClasses[] = {
    {LayoutClass::NoFuses, NoFuses},
    {LayoutClass::ClockFromZeroByte, ClockFromZeroByte},
    {LayoutClass::SpiAndClockBit, SpiAndClockBit},
    {LayoutClass::EightClocksAndBod, EightClocksAndBod},
    {LayoutClass::StartupAndEepromSave, StartupAndEepromSave},
    {LayoutClass::FiveSourcesFastStart, FiveSourcesFastStart},
    {LayoutClass::SixteenClocksResetAndBod, SixteenClocksResetAndBod},
    {LayoutClass::StartupResetAndBod, StartupResetAndBod},
    {LayoutClass::SixteenClocksIntcap, SixteenClocksIntcap},
    {LayoutClass::ThirteenSourcesPll, ThirteenSourcesPll},
    {LayoutClass::BigMemClockdiv, BigMemClockdiv},
    {LayoutClass::ClockListFollowsBod, ClockListFollowsBod},
    {LayoutClass::SixteenClocksBootBlock, SixteenClocksBootBlock},
    {LayoutClass::SixteenClocksBootBlockJtag, SixteenClocksBootBlockJtag},
    {LayoutClass::ThirteenSourcesRcomp, ThirteenSourcesRcomp},
    {LayoutClass::ThirteenSourcesJtag, ThirteenSourcesJtag},
    {LayoutClass::ThirteenSourcesResetDisable, ThirteenSourcesResetDisable},
    {LayoutClass::ThirteenSourcesExtendedByte, ThirteenSourcesExtendedByte},
};

}  // namespace

FuseLayout FuseLayoutFor(LayoutClass layoutClass, ClockListVariant clockList) {
    const auto row = std::find_if(std::begin(kClasses), std::end(kClasses),
                                  [&](const ClassRow& r) { return r.layoutClass == layoutClass; });
    FuseLayout layout = row == std::end(kClasses) ? FuseLayout{} : row->make();
    if (layout.clock.namedByDevice) {
        layout.clock.entries = DeviceClockEntries(clockList);
    }
    return layout;
}

}  // namespace zentaro
