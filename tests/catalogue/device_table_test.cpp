// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogue/device_table.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace zentaro {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Not;

const std::vector<std::string> kSerialExcluded = {
    "Orlan 1 rev. A", "Orlan 1 rev. B", "Orlan 11", "Orlan 12", "Dunmor 1",
    "Dunmor 2",       "Sarko 1",        "Sarko 2",  "Sarko 5",  "Sarko 6"};

TEST(DeviceTable, HasFortyFourRowsEndedByAnEmptyRow) {
    auto table = DeviceTable();
    ASSERT_EQ(table.size(), 45u);
    EXPECT_EQ(table.back().name, nullptr);
    EXPECT_EQ(table.back().flashSize, 0u);
    std::set<uint32_t> codes;
    std::set<std::string> names;
    for (size_t i = 0; i + 1 < table.size(); ++i) {
        ASSERT_NE(table[i].name, nullptr);
        codes.insert(table[i].deviceCode);
        names.insert(table[i].name);
        // Flash and EEPROM sizes are whole multiples of 16 bytes, which the HEX writer relies on.
        EXPECT_EQ(table[i].flashSize % 16, 0u) << table[i].name;
        EXPECT_EQ(table[i].eepromSize % 16, 0u) << table[i].name;
    }
    EXPECT_EQ(codes.size(), 44u);
    EXPECT_EQ(names.size(), 44u);
}

TEST(DeviceTable, RowsCarryTheirParameterBytes) {
    const DeviceRecord& orlan2 = FindDeviceByName("Orlan 2");
    EXPECT_EQ(orlan2.deviceCode, 0x20u);
    EXPECT_EQ(orlan2.programmerParams, 0x7F7F807Fu);
    EXPECT_THAT(orlan2.programmerFlags, ElementsAre(0, 1, 1, 0));
    EXPECT_THAT(orlan2.interfaceSupport, ElementsAre('P', 'B', 'P', 0));

    const DeviceRecord& mirval10 = FindDeviceByName("Mirval 10");
    EXPECT_EQ(mirval10.flashSize, 131072u);
    EXPECT_EQ(mirval10.eepromPageSize, 8u);
    EXPECT_EQ(mirval10.pageWords, 0x80);
    EXPECT_EQ(mirval10.targetParam, 0x08);
    EXPECT_EQ(mirval10.minProgrammerLevel, 0x03);

    const DeviceRecord& orlan12 = FindDeviceByName("Orlan 12");
    EXPECT_THAT(orlan12.extFlags, ElementsAre(1, 1, 0, 0));
    EXPECT_EQ(orlan12.flashSize, 12288u);

    const DeviceRecord& orlan11 = FindDeviceByName("Orlan 11");
    EXPECT_THAT(orlan11.interfaceSupport, ElementsAre('0', 'P', 'P', 0));
    EXPECT_FALSE(AccessGranted(orlan11.interfaceSupport[0], 'P'));
    EXPECT_FALSE(AccessGranted(orlan11.interfaceSupport[0], 'S'));
}

TEST(DeviceTable, OnlyTheDunmorRowsAreByteWide) {
    for (const DeviceRecord& row : DeviceTable().first(44)) {
        bool dunmor = std::string(row.name).starts_with("Dunmor");
        EXPECT_EQ(row.wordWideFlash, dunmor ? 0u : 1u) << row.name;
    }
}

TEST(DeviceTable, NameForCode) {
    EXPECT_STREQ(NameForCode(0x13), "Orlan 1");
    EXPECT_STREQ(NameForCode(0x44), "Mirval 10 BOOT");
    EXPECT_EQ(NameForCode(0x00), nullptr);
    EXPECT_EQ(NameForCode(0xFF), nullptr);
    EXPECT_EQ(NameForCode(0x113), nullptr);  // compared as 32 bits, not as a byte
}

TEST(DeviceTable, FindDeviceByNameIsExactAndEndsAtTheEmptyRow) {
    EXPECT_EQ(FindDeviceByName("Mirval 5 BOOT").deviceCode, 0x73u);
    EXPECT_EQ(FindDeviceByName("mirval 5 BOOT").name, nullptr);
    EXPECT_EQ(FindDeviceByName("Mirval 5 BOO").name, nullptr);
    EXPECT_EQ(FindDeviceByName(kDefaultDeviceName).name, nullptr);
    EXPECT_EQ(FindDeviceByName("").name, nullptr);
}

TEST(DeviceOffer, LevelFiltersAsUnsignedBytes) {
    auto level1 = DevicesForProgrammer(0x01, kAllProgrammerTypes);
    EXPECT_THAT(level1, Not(Contains("Orlan 1 rev. A")));  // 0xFE
    EXPECT_THAT(level1, Not(Contains("Mirval 1")));        // level 4
    EXPECT_THAT(level1, Contains("Orlan 1"));

    auto levelFE = DevicesForProgrammer(0xFE, kAllProgrammerTypes);
    EXPECT_THAT(levelFE, Contains("Orlan 1 rev. A"));
    EXPECT_THAT(levelFE, Not(Contains("Mirval 1 BOOT")));
    EXPECT_EQ(levelFE.size(), 36u);  // every row but the eight BOOT rows

    auto levelFF = DevicesForProgrammer(0xFF, kAllProgrammerTypes);
    EXPECT_EQ(levelFF.size(), 44u);
    EXPECT_EQ(levelFF.front(), "Orlan 1 rev. A");  // table order
    EXPECT_EQ(levelFF.back(), "Mirval 10 BOOT");

    EXPECT_TRUE(DevicesForProgrammer(0x00, kAllProgrammerTypes).empty());
}

TEST(DeviceOffer, TypeMasksSplitParallelAndSerialRows) {
    auto parallel = DevicesForProgrammer(0xFF, 0x01);
    for (const std::string& name : parallel) {
        EXPECT_EQ(name.find("BOOT"), std::string::npos) << name;
    }
    EXPECT_EQ(parallel.size(), 44u - 8u);

    auto serial = DevicesForProgrammer(0xFF, 0x02);
    for (const std::string& name : kSerialExcluded) {
        EXPECT_THAT(serial, Not(Contains(name)));
        EXPECT_THAT(parallel, Contains(name));
    }
    EXPECT_EQ(serial.size(), 44u - kSerialExcluded.size());
}

TEST(ProgrammerModes, LookUpByCharacterAndLabel) {
    ASSERT_EQ(ProgrammerModeTable().size(), 7u);
    auto p = ModesForCharacter('P');
    ASSERT_EQ(p.size(), 1u);
    EXPECT_STREQ(p[0]->label, "Parallel");
    EXPECT_EQ(p[0]->TypeMask(), 0x01);
    auto w = ModesForCharacter('W');
    ASSERT_EQ(w.size(), 1u);
    EXPECT_STREQ(w[0]->label, "SPI, Target F >3,6MHz");
    EXPECT_EQ(w[0]->TypeMask(), 0x02);
    EXPECT_TRUE(ModesForCharacter('?').empty());
    EXPECT_TRUE(ModesForCharacter(0).empty());

    EXPECT_EQ(FindModeByLabel("SPI serial"), 1);
    EXPECT_EQ(FindModeByLabel("SPI, Target F >0.9MHz"), 4);
    // Only the first 25 characters take part.
    EXPECT_EQ(FindModeByLabel("SPI, Target F >0.9MHz and more text"), -1);
    EXPECT_EQ(FindModeByLabel("Serial"), -1);
}

TEST(Access, BothOrMatchingTypeGrants) {
    EXPECT_TRUE(AccessGranted('B', 'S'));
    EXPECT_TRUE(AccessGranted('B', 'P'));
    EXPECT_TRUE(AccessGranted('P', 'P'));
    EXPECT_FALSE(AccessGranted('P', 'S'));
    EXPECT_FALSE(AccessGranted('0', 'P'));
    EXPECT_FALSE(AccessGranted(0x00, 0x00 + 'S'));
}

}  // namespace
}  // namespace zentaro
