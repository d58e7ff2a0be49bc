// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/device_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace zentaro {
namespace {

using Names = std::vector<std::string>;

bool Contains(const Names& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(DevicesForCodes, NamesKnownCodesSortedAndCountsEveryCodeUpToZero) {
    const std::vector<uint8_t> reply{0x43, 0x99, 0x3A, 0x00, 0x41};
    const ReportedDevices devices = DevicesForCodes(reply);
    EXPECT_EQ(devices.names, Names({"Mirval 1", "Mirval 10"}));
    EXPECT_EQ(devices.codeCount, 3);
}

TEST(DevicesForCodes, ReplyWithoutZeroEndsAtTheBufferEnd) {
    const std::vector<uint8_t> reply(20, 0x43);
    const ReportedDevices devices = DevicesForCodes(reply);
    EXPECT_EQ(devices.codeCount, 20);
    EXPECT_EQ(devices.names.size(), 20u);
    EXPECT_EQ(DevicesForCodes(std::vector<uint8_t>{0x00, 0x43}).codeCount, 0);
}

TEST(ProgrammerTypeLabels, SortsTheLabelsOfTheReportedModes) {
    const std::vector<uint8_t> serialAndParallel{'S', 'P', 0};
    EXPECT_EQ(ProgrammerTypeLabels(serialAndParallel), Names({"Parallel", "SPI serial"}));
    const std::vector<uint8_t> fastSlow{'W', 'T', 0, 'P'};
    EXPECT_EQ(ProgrammerTypeLabels(fastSlow),
              Names({"SPI, Target F >0.1MHz", "SPI, Target F >3,6MHz"}));
}

TEST(ProgrammerTypeLabels, EmptyForUnknownCommandOrUnknownModes) {
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{'?', 'S', 0}).empty());
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{'Z', 'Q', 0}).empty());
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{0, 'S'}).empty());
}

TEST(DevicesFromTable, FiltersByLevelAndTypeAndSorts) {
    const Names serial = DevicesFromTable(3, 0x02);
    EXPECT_TRUE(std::is_sorted(serial.begin(), serial.end()));
    EXPECT_TRUE(Contains(serial, "Mirval 10"));
    EXPECT_FALSE(Contains(serial, "Mirval 10 BOOT"));  // needs level 0xFF
    EXPECT_FALSE(Contains(serial, "Orlan 11"));        // parallel only
    EXPECT_EQ(serial.front(), "Mirval 10");            // "Mirval 1" needs level 4

    const Names parallel = DevicesFromTable(0xFF, 0x01);
    EXPECT_TRUE(Contains(parallel, "Orlan 11"));
    EXPECT_FALSE(Contains(parallel, "Mirval 10 BOOT"));  // serial only
    EXPECT_TRUE(DevicesFromTable(0, 0x03).empty());
}

TEST(RestoreIndex, LastEntryMatchingOnSixteenCharactersWins) {
    const Names entries{"SPI, Target F >0.1MHz", "SPI, Target F >0.9MHz", "SPI serial"};
    EXPECT_EQ(RestoreIndex(entries, "SPI, Target F >0.5MHz"), 1);
    EXPECT_EQ(RestoreIndex(entries, "SPI, Target F >0"), 1);
    EXPECT_EQ(RestoreIndex(entries, "SPI serial"), 2);
}

TEST(RestoreIndex, ShorterTextsMatchOnlyWhole) {
    const Names entries{"Mirval 1", "Mirval 10", "Orlan 1", "Orlan 1 rev. A"};
    EXPECT_EQ(RestoreIndex(entries, "Mirval 10"), 1);
    EXPECT_EQ(RestoreIndex(entries, "Orlan 1"), 2);
    EXPECT_EQ(RestoreIndex(entries, "Orlan 1 rev. D/E/F"), 0);
    EXPECT_EQ(RestoreIndex(entries, ""), 0);
    EXPECT_EQ(RestoreIndex(Names{}, "Mirval 1"), 0);
}

}  // namespace
}  // namespace zentaro
