#include "ui/device_lists.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ui/qt_printers.h"

namespace zentaro {
namespace {

TEST(DevicesForCodes, NamesKnownCodesSortedAndCountsEveryCodeUpToZero) {
    const std::vector<uint8_t> reply{0x43, 0x99, 0x3A, 0x00, 0x41};
    const ReportedDevices devices = DevicesForCodes(reply);
    EXPECT_EQ(devices.names, QStringList({"Mirval 1", "Mirval 10"}));
    EXPECT_EQ(devices.codeCount, 3);
}

TEST(DevicesForCodes, ReplyWithoutZeroEndsAtTheBufferEnd) {
    const std::vector<uint8_t> reply(20, 0x43);
    const ReportedDevices devices = DevicesForCodes(reply);
    EXPECT_EQ(devices.codeCount, 20);
    EXPECT_EQ(devices.names.size(), 20);
    EXPECT_EQ(DevicesForCodes(std::vector<uint8_t>{0x00, 0x43}).codeCount, 0);
}

TEST(ProgrammerTypeLabels, SortsTheLabelsOfTheReportedModes) {
    const std::vector<uint8_t> serialAndParallel{'S', 'P', 0};
    EXPECT_EQ(ProgrammerTypeLabels(serialAndParallel), QStringList({"Parallel", "SPI serial"}));
    const std::vector<uint8_t> fastSlow{'W', 'T', 0, 'P'};
    EXPECT_EQ(ProgrammerTypeLabels(fastSlow),
              QStringList({"SPI, Target F >0.1MHz", "SPI, Target F >3,6MHz"}));
}

TEST(ProgrammerTypeLabels, EmptyForUnknownCommandOrUnknownModes) {
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{'?', 'S', 0}).isEmpty());
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{'Z', 'Q', 0}).isEmpty());
    EXPECT_TRUE(ProgrammerTypeLabels(std::vector<uint8_t>{0, 'S'}).isEmpty());
}

TEST(DevicesFromTable, FiltersByLevelAndTypeAndSorts) {
    const QStringList serial = DevicesFromTable(3, 0x02);
    EXPECT_TRUE(std::is_sorted(serial.begin(), serial.end()));
    EXPECT_TRUE(serial.contains("Mirval 10"));
    EXPECT_FALSE(serial.contains("Mirval 10 BOOT"));  // needs level 0xFF
    EXPECT_FALSE(serial.contains("Orlan 11"));        // parallel only
    EXPECT_EQ(serial.first(), "Mirval 10");           // "Mirval 1" needs level 4

    const QStringList parallel = DevicesFromTable(0xFF, 0x01);
    EXPECT_TRUE(parallel.contains("Orlan 11"));
    EXPECT_FALSE(parallel.contains("Mirval 10 BOOT"));  // serial only
    EXPECT_TRUE(DevicesFromTable(0, 0x03).isEmpty());
}

TEST(RestoreIndex, LastEntryMatchingOnSixteenCharactersWins) {
    const QStringList entries{"SPI, Target F >0.1MHz", "SPI, Target F >0.9MHz", "SPI serial"};
    EXPECT_EQ(RestoreIndex(entries, "SPI, Target F >0.5MHz"), 1);
    EXPECT_EQ(RestoreIndex(entries, "SPI, Target F >0"), 1);
    EXPECT_EQ(RestoreIndex(entries, "SPI serial"), 2);
}

TEST(RestoreIndex, ShorterTextsMatchOnlyWhole) {
    const QStringList entries{"Mirval 1", "Mirval 10", "Orlan 1", "Orlan 1 rev. A"};
    EXPECT_EQ(RestoreIndex(entries, "Mirval 10"), 1);
    EXPECT_EQ(RestoreIndex(entries, "Orlan 1"), 2);
    EXPECT_EQ(RestoreIndex(entries, "Orlan 1 rev. D/E/F"), 0);
    EXPECT_EQ(RestoreIndex(entries, ""), 0);
    EXPECT_EQ(RestoreIndex({}, "Mirval 1"), 0);
}

}  // namespace
}  // namespace zentaro
