// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/srecord_reader.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zentaro {
namespace {

struct Loaded {
    SRecordLoad load;
    ImageLoadState state;
    std::vector<uint8_t> image = std::vector<uint8_t>(0x100, 0xFF);
};

Loaded Load(const std::string& text) {
    std::istringstream file(text);
    Loaded loaded;
    loaded.load = LoadSRecordImage(file, loaded.image, loaded.state);
    return loaded;
}

// Two bytes, 12 34, at 0x10 with 16-, 24- and 32-bit addresses; the counts and the end.
const std::string kS1 = "S10500101234A4\n";
const std::string kS2 = "S2060000101234A3\n";
const std::string kS3 = "S307000000101234A2\n";
const std::string kCount = "S5030001FB\n";
const std::string kEnd = "S9030000FC\n";

TEST(SRecordLoadTest, DataOfEveryAddressWidthLoads) {
    for (const std::string& data : {kS1, kS2, kS3, " \t" + kS2.substr(0, 16) + " \r\n"}) {
        // What follows the end record is not read: it would be malformed.
        const Loaded loaded = Load("S00600004844521B\n\n" + data + kCount + kEnd + "-\n");
        EXPECT_EQ(loaded.load.malformedLine, 0u) << data;
        EXPECT_TRUE(loaded.load.checksumsMatch) << data;
        EXPECT_EQ(loaded.image[0x10] << 8 | loaded.image[0x11], 0x1234) << data;
        EXPECT_EQ(loaded.state.highestAddress, 0x11u) << data;
    }
}

TEST(SRecordLoadTest, BadChecksumStoresTheRecordAndTheRestStillLoads) {
    const Loaded loaded = Load("S10500101234A5\nS1040020AB30\n");
    EXPECT_EQ(loaded.load.malformedLine, 0u);
    EXPECT_FALSE(loaded.load.checksumsMatch);
    EXPECT_EQ(loaded.image[0x10], 0x12);
    EXPECT_EQ(loaded.image[0x20], 0xAB);
}

TEST(SRecordLoadTest, MalformedLineStopsTheLoadAndIsNamed) {
    const struct {
        std::string line;
        const char* why;
    } cases[] = {
        {"S10500101G34A4", "a digit that is not hex"},
        {"S10600101234A4", "a count beyond the line"},
        {"S10400101234A4", "a count short of the line"},
        {"S1020010", "a count short of the address"},
        {"S40500101234A4", "no such record type"},
        {"S5040001AAFB", "a record count with data"},
        {"S904000012E9", "an end record with data"},
        {"S1", "no count"},
        {":0100000055AA", "no S-record"},
        {std::string(3000, ' ') + kS1, "a line longer than any record"},
    };
    for (const auto& c : cases) {
        const Loaded loaded = Load(kS1 + "\r\n" + c.line + "\r\n" + kS3);
        EXPECT_EQ(loaded.load.malformedLine, 3u) << c.why;
        EXPECT_EQ(loaded.image[0x10], 0x12) << c.why;
        EXPECT_EQ(loaded.state.highestAddress, 0x11u) << c.why;
    }
}

}  // namespace
}  // namespace zentaro
