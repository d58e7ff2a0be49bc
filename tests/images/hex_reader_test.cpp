// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>

#include "operations/command_frame.h"
#include "operations/link_notices.h"
#include "support/fake_clock.h"
#include "support/hex_text.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

std::string Record(uint32_t type, uint32_t address, const std::vector<uint8_t>& data) {
    return test::HexRecord(type, address, data.data(), data.size());
}

struct Loaded {
    bool isHex = false;
    bool ok = false;
    HexLoadState state;
    std::vector<uint8_t> image;
};

// The callers' order: the format test and the load on the same open file.
Loaded Load(const std::string& text, size_t imageSize = 8192) {
    std::istringstream file(text);
    Loaded result;
    result.isHex = IsHexFile(file);
    result.image.assign(imageSize, 0xFF);
    result.ok = LoadHexImage(file, result.image, result.state);
    return result;
}

bool AllBlank(const std::vector<uint8_t>& image) {
    return std::all_of(image.begin(), image.end(), [](uint8_t b) { return b == 0xFF; });
}

const std::string kExample = ":10010000214601360121470136007EFE09D2190140\n";
const std::vector<uint8_t> kExampleBytes = {0x21, 0x46, 0x01, 0x36, 0x01, 0x21, 0x47, 0x01,
                                            0x36, 0x00, 0x7E, 0xFE, 0x09, 0xD2, 0x19, 0x01};

bool HoldsExample(const std::vector<uint8_t>& image, size_t at) {
    return std::equal(kExampleBytes.begin(), kExampleBytes.end(), image.data() + at);
}

TEST(HexFormatTest, EveryPieceMustStartWithAColonAfterWhiteSpace) {
    const std::string line520(520, '0');
    const struct {
        std::string text;
        bool isHex;
    } cases[] = {
        {"", true},
        {kExample + ":00000001FF", true},
        {" \t:00000001FF\r\n\v\f:00000001FF\r\n", true},
        {kExample + "\n" + kExample, false},
        {kExample + "  \t\r\n", false},
        {"x" + kExample, false},
        // 521 characters and CR LF fill one 523-character piece...
        {":" + line520 + "\r\n", true},
        // ...one more and the line feed is a piece of its own, a blank line.
        {":" + line520 + "0\r\n", false},
        {":" + std::string(600, '0') + "\n", false},
    };
    for (const auto& c : cases) {
        std::istringstream file(c.text);
        EXPECT_EQ(IsHexFile(file), c.isHex) << c.text;
    }
}

TEST(HexLoadTest, EmptyFileLoadsNothing) {
    const Loaded loaded = Load("");
    EXPECT_TRUE(loaded.isHex);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.state.highestAddress, 0u);
    EXPECT_FALSE(loaded.state.loadedData);
    EXPECT_TRUE(AllBlank(loaded.image));
}

TEST(HexLoadTest, DataLoadsWhateverTheCaseAndIndentation) {
    std::string lower = kExample;
    std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
    for (const std::string& text :
         {kExample, "\t  " + lower, std::string(" ").append(kExample, 0, 43).append("\r\n")}) {
        const Loaded loaded = Load(text);
        EXPECT_TRUE(loaded.isHex && loaded.ok) << text;
        EXPECT_TRUE(HoldsExample(loaded.image, 0x100)) << text;
        EXPECT_EQ(loaded.image[0xFF], 0xFF);
        EXPECT_EQ(loaded.image[0x110], 0xFF);
        EXPECT_EQ(loaded.state.highestAddress, 0x10Fu);
        EXPECT_TRUE(loaded.state.loadedData);
    }
}

TEST(HexLoadTest, EndRecordInTheMiddleDoesNotStopTheLoad) {
    const Loaded loaded = Load(":00000001FF\n" + kExample + ":00000001FF\n");
    EXPECT_TRUE(loaded.ok);
    EXPECT_TRUE(HoldsExample(loaded.image, 0x100));
}

TEST(HexLoadTest, SegmentAndLinearRecordsMoveTheBase) {
    const std::string data = Record(0x00, 0x0000, {0xA5});
    const struct {
        std::string addressRecord;
        uint32_t base;
    } cases[] = {
        {":020000021000EC\n", 0x10000},
        {":020000040001F9\n", 0x10000},
        {":020000040000FA\n", 0x00000},
        {":020000020001FB\n", 0x00010},
    };
    for (const auto& c : cases) {
        const Loaded loaded = Load(c.addressRecord + data, 0x20000);
        EXPECT_TRUE(loaded.ok) << c.addressRecord;
        EXPECT_EQ(loaded.state.segmentBase, c.base) << c.addressRecord;
        EXPECT_EQ(loaded.image[c.base], 0xA5) << c.addressRecord;
        EXPECT_EQ(std::count(loaded.image.begin(), loaded.image.end(), 0xA5), 1);
        EXPECT_EQ(loaded.state.highestAddress, c.base);
    }
}

TEST(HexLoadTest, MalformedAddressRecordFailsAndKeepsTheBase) {
    for (const std::string bad : {":020010021000DC\n", ":02000002\n", ":020000021G00EC\n",
                                  ":020001040001F8\n", ":0200000400\n"}) {
        const Loaded loaded =
            Load(":020000021000EC\n" + bad + Record(0x00, 0x0000, {0x5A}), 0x20000);
        EXPECT_TRUE(loaded.isHex) << bad;
        EXPECT_FALSE(loaded.ok) << bad;
        EXPECT_EQ(loaded.state.segmentBase, 0x10000u) << bad;
        EXPECT_EQ(loaded.image[0x10000], 0x5A) << bad;
    }
}

TEST(HexLoadTest, HighBaseNeverWrapsToLowAddresses) {
    const Loaded loaded = Load(":02000004FFFFFC\n" + Record(0x00, 0xFFFF, {1, 2, 3}));
    EXPECT_TRUE(loaded.ok);
    EXPECT_TRUE(AllBlank(loaded.image));
    EXPECT_EQ(loaded.state.highestAddress, 0xFFFFFFFFu);
    EXPECT_TRUE(loaded.state.loadedData);
}

TEST(HexLoadTest, BadChecksumStoresTheRecordAndTheRestStillLoads) {
    const Loaded loaded = Load(":0100000055AB\n" + kExample);
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.image[0], 0x55);
    EXPECT_TRUE(HoldsExample(loaded.image, 0x100));
}

// The load as a command runs it: the checksum setting, the question and its answer.
struct CommandLoad {
    FileLoad load = FileLoad::CannotOpen;
    std::vector<std::string> questions;
    std::vector<uint8_t> image = std::vector<uint8_t>(0x20000);
};

CommandLoad LoadAsCommand(const std::string& text, bool ignoreChecksum, bool answer) {
    const test::TempDir dir;
    test::WriteFile(dir.Path("in.hex"), text);
    test::RecordingPanel panel;
    panel.Answer(answer);
    test::FakeClock clock;
    CLowIO link(std::make_unique<test::ScriptedPort>(), clock, NoticesOn(panel));
    const DeviceRecord device;
    CommandLoad result;
    CommandContext context{
        link, panel, result.image, device, 0, {.ignoreChecksum = ignoreChecksum, .format = {}}, {}};
    HexLoadState state;
    result.load = LoadFirmwareFile(context, dir.Path("in.hex"), ImageMemory::Flash, state);
    result.questions = panel.Questions();
    return result;
}

TEST(HexLoadTest, BadChecksumOfAnyRecordIsTheUsersCall) {
    // Each record has one digit changed, so that its checksum fails; a data byte at offset 0
    // follows, and where it lands shows what the record did.
    const struct {
        const char* record;
        uint32_t landsAt;
    } cases[] = {
        {":0100000055AC\n", 0x00000},    // data
        {":020000021000ED\n", 0x10000},  // segment
        {":020000021100EC\n", 0x11000},  // segment, its value changed
        {":020000040001F8\n", 0x10000},  // linear
        {":020000040000F9\n", 0x00000},  // linear, its value changed
        {":00000001FE\n", 0x00000},      // end of file
    };
    const struct {
        bool ignoreChecksum;
        bool answer;
        bool asked;
        FileLoad load;
    } choices[] = {
        {false, false, true, FileLoad::Stopped},
        {false, true, true, FileLoad::Loaded},
        {true, false, false, FileLoad::Loaded},
    };
    const std::vector<std::string> question = {"Checksum not valid in Intel HEX file\nProceed?"};
    for (const auto& c : cases) {
        for (const auto& choice : choices) {
            SCOPED_TRACE(c.record + std::to_string(choice.ignoreChecksum) +
                         std::to_string(choice.answer));
            const CommandLoad loaded = LoadAsCommand(c.record + Record(0x00, 0x0000, {0xA5}),
                                                     choice.ignoreChecksum, choice.answer);
            EXPECT_EQ(loaded.questions, choice.asked ? question : std::vector<std::string>{});
            EXPECT_EQ(loaded.load, choice.load);
            if (loaded.load == FileLoad::Loaded) {
                EXPECT_EQ(loaded.image[c.landsAt], 0xA5);
            }
        }
    }
}

TEST(HexLoadTest, ZeroLengthRecordStoresNothing) {
    Loaded loaded = Load(":00001000F0\n");
    EXPECT_TRUE(loaded.ok);
    EXPECT_FALSE(loaded.state.loadedData);
    EXPECT_TRUE(AllBlank(loaded.image));

    loaded = Load(kExample + ":00200000E0\n" + Record(0x00, 0x300, {}));
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.state.highestAddress, 0x10Fu);
}

TEST(HexLoadTest, LineWithoutRecordHeaderIsIgnored) {
    const Loaded loaded = Load(":XYZ\n:0G01000000\n:1001\n" + kExample);
    EXPECT_TRUE(loaded.isHex);
    EXPECT_TRUE(loaded.ok);
    EXPECT_TRUE(HoldsExample(loaded.image, 0x100));
}

TEST(HexLoadTest, NonHexDataByteSpoilsItsWholeRecord) {
    // The broken pair must not fall back on the byte read just before it.
    const Loaded loaded =
        Load(Record(0x00, 0x0000, {0x5A}) + Record(0x00, 0x0010, {0x11, 0x5A, 0x33}) +
             ":03002000AAG2BB00\n" + ":02003000CC\n");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(loaded.image[0], 0x5A);
    EXPECT_EQ(loaded.image[0x10], 0x11);
    EXPECT_TRUE(std::all_of(loaded.image.begin() + 0x20, loaded.image.end(),
                            [](uint8_t b) { return b == 0xFF; }));
    EXPECT_EQ(loaded.state.highestAddress, 0x12u);
}

TEST(HexLoadTest, BytesBeyondTheImageAreDroppedButCounted) {
    std::vector<uint8_t> tail(16, 0x77);
    Loaded loaded = Load(Record(0x00, 0x1FF0, tail));
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.state.highestAddress, 0x1FFFu);
    EXPECT_EQ(loaded.image[0x1FFF], 0x77);

    tail.push_back(0x78);
    loaded = Load(Record(0x00, 0x1FF0, tail));
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.state.highestAddress, 0x2000u);
    EXPECT_EQ(loaded.image[0x1FFF], 0x77);

    loaded = Load(Record(0x00, 0x2000, {0x01}));
    EXPECT_TRUE(loaded.state.loadedData);
    EXPECT_TRUE(AllBlank(loaded.image));
}

TEST(HexLoadTest, LongLinesAreReadInPieces) {
    // The longest record, 255 data bytes, fills a piece with its CR LF.
    const std::string longest = Record(0x00, 0x0000, std::vector<uint8_t>(255, 0x3C));
    const Loaded fits = Load(longest.substr(0, 521) + "\r\n");
    EXPECT_TRUE(fits.isHex);
    EXPECT_TRUE(fits.ok);
    EXPECT_EQ(fits.image[254], 0x3C);

    // Indented by five blanks it does not fit the first piece: the record is cut short and
    // stores nothing; the rest of the line is a piece without a header.
    const Loaded cut = Load("     " + longest);
    EXPECT_FALSE(cut.isHex);
    EXPECT_FALSE(cut.ok);
    EXPECT_TRUE(AllBlank(cut.image));
}

// Made by a tool of another origin, with 255-byte records, one of them across 64 KiB, and a
// linear address record there; once with LF and once with CR LF line ends:
//   srec_cat long_records.bin -binary -offset 0xFF00 -o long_records.hex -intel
//            -output_block_size=255 [-crlf]
// (srec_cat 1.64). long_records.bin is 2304 bytes, byte i = (i * 167 + (i >> 8) * 29 +
// (i * i >> 5)) & 0xFF.
TEST(HexLoadTest, LongRecordsOfAnotherToolLoad) {
    const std::string data = test::ReadFile(ZENTARO_IMAGES_DATA "/long_records.bin");
    ASSERT_EQ(data.size(), 2304U);
    std::vector<uint8_t> expected(0x20000, 0xFF);
    std::copy(data.begin(), data.end(), expected.begin() + 0xFF00);
    for (const char* name : {"/long_records.hex", "/long_records_crlf.hex"}) {
        const Loaded loaded =
            Load(test::ReadFile(std::string(ZENTARO_IMAGES_DATA) + name), expected.size());
        EXPECT_TRUE(loaded.isHex) << name;
        EXPECT_TRUE(loaded.ok) << name;
        EXPECT_EQ(loaded.image, expected) << name;
        EXPECT_EQ(loaded.state.highestAddress, 0xFF00 + data.size() - 1) << name;
    }
}

TEST(HexLoadTest, RecordsOfEveryLengthLoadWhereverTheReadsSplitTheText) {
    std::string text;
    std::vector<uint8_t> expected(8192, 0xFF);
    uint32_t address = 0;
    for (size_t length = 1; address + length <= expected.size(); length = length % 100 + 1) {
        std::vector<uint8_t> data(length);
        for (uint8_t& byte : data) {
            byte = static_cast<uint8_t>(address * 7 + 3);
            expected[address++] = byte;
        }
        text += Record(0x00, address - static_cast<uint32_t>(length), data);
    }
    ASSERT_GT(text.size(), 3 * 4096U);
    const Loaded loaded = Load(text);
    EXPECT_TRUE(loaded.isHex);
    EXPECT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.image, expected);
}

}  // namespace
}  // namespace zentaro
