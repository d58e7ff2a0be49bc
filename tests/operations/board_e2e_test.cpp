// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "operations/board_fixture.h"

namespace zentaro::test {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using Records = std::map<uint32_t, std::vector<uint8_t>>;

// Bytes that differ from record to record, with a blank byte now and then.
std::vector<uint8_t> Pattern(uint32_t seed, size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) {
        const auto value = static_cast<uint8_t>((seed + i) * 37 + (seed >> 3));
        bytes[i] = i % 11 == 5 ? 0xFF : value;
    }
    return bytes;
}

std::vector<uint8_t> Expected(const Records& records, size_t size) {
    std::vector<uint8_t> memory(size, 0xFF);
    for (const auto& [address, bytes] : records) {
        std::copy(bytes.begin(), bytes.end(), memory.begin() + address);
    }
    return memory;
}

// Data at address 0, across a page boundary, a lone byte and near the end of the range.
Records Spread(uint32_t size) {
    return {{0, Pattern(1, 16)},
            {size / 4 - 6, Pattern(2, 12)},
            {size / 2 + 1, {0x5A}},
            {size - 19, Pattern(3, 16)},
            {size - 3, Pattern(4, 3)}};
}

struct Variant {
    const char* chip;
    const char* autoIncrement;
    const char* blockSize;
    // Keeps the flash data out of the boot-loader section.
    uint32_t flashDataEnd;
};

void PrintTo(const Variant& variant, std::ostream* out) {
    *out << variant.chip << " auto-increment " << variant.autoIncrement << " block "
         << variant.blockSize;
}

class BoardVariantTest : public ::testing::TestWithParam<Variant>, public BoardFixture {
protected:
    void SetUp() override {
        const Variant& variant = GetParam();
        Connect(variant.chip,
                {"--auto-increment", variant.autoIncrement, "--block-size", variant.blockSize});
    }

    void ExpectSuccess(bool result) {
        EXPECT_TRUE(result);
        EXPECT_TRUE(panel.Status().ends_with("OK")) << panel.Status();
        EXPECT_THAT(panel.Notices(), IsEmpty());
        EXPECT_FALSE(board->ProgrammingMode());
        EXPECT_TRUE(board->Lamps()[1]);
        EXPECT_TRUE(panel.ControlsEnabled());
    }
};

TEST_P(BoardVariantTest, FlashIsProgrammedVerifiedAndReadBack) {
    const uint32_t end = GetParam().flashDataEnd;
    board->LoadFlash(Pattern(9, device->flashSize));  // erased by the program command
    const Records records = Spread(end);
    CommandContext program = Context(Hex("flash.hex", records));
    ExpectSuccess(ProgramFlash(program));
    EXPECT_EQ(board->Flash(), Expected(records, device->flashSize));

    CommandContext verify = Context(program.fileName);
    ExpectSuccess(VerifyFlash(verify));

    CommandContext read = Context(dir.Path("read.hex"));
    ExpectSuccess(ReadFlash(read));
    EXPECT_EQ(LoadedMemory(read.fileName, device->flashSize), board->Flash());
}

TEST_P(BoardVariantTest, EepromIsProgrammedVerifiedAndReadBack) {
    const Records records = Spread(device->eepromSize);
    CommandContext program = Context(Hex("data.eep", records));
    ExpectSuccess(ProgramEeprom(program));
    EXPECT_EQ(board->Eeprom(), Expected(records, device->eepromSize));

    CommandContext verify = Context(program.fileName);
    ExpectSuccess(VerifyEeprom(verify));

    CommandContext read = Context(dir.Path("read.eep"));
    ExpectSuccess(ReadEeprom(read));
    EXPECT_EQ(LoadedMemory(read.fileName, device->eepromSize), board->Eeprom());
}

INSTANTIATE_TEST_SUITE_P(
    Boards, BoardVariantTest,
    ::testing::Values(Variant{"Dunmor 3", "Y", "0", 8192},         // byte-wide
                      Variant{"Dunmor 3", "N", "128", 8192},       // byte-wide blocks
                      Variant{"Orlan 8", "N", "0", 8192},          // words, no pages
                      Variant{"Mirval 1", "Y", "0", 8192},         // words in 64-byte pages
                      Variant{"Mirval 2 BOOT", "Y", "0", 0x3C00},  // whole pages, fixed boot
                      Variant{"Mirval 3 BOOT", "N", "0", 0x1800},  // whole pages, boot by fuse
                      Variant{"Mirval 10", "Y", "256", 131072}));  // blocks

// Faults: every command ends within the time-outs with its failure texts, programming mode
// left and the controls back, and nothing of the user's lost.
class BoardFaultTest : public ::testing::Test, public BoardFixture {
protected:
    void ExpectFailed(bool result, const std::string& status) {
        EXPECT_FALSE(result);
        EXPECT_EQ(panel.Status(), status);
        EXPECT_FALSE(link->InProgMode());
        EXPECT_TRUE(panel.ControlsEnabled());
        EXPECT_EQ(panel.ProgressPosition(), 0);
    }
};

TEST_F(BoardFaultTest, MissingReplyWhileProgramming) {
    Connect("Orlan 1", {"--block-size", "0", "--fault", "drop:c@5"});
    CommandContext context = Context(Hex("in.hex", {{0, Pattern(1, 32)}}));

    ExpectFailed(ProgramFlash(context), "擦除芯片...      编程...       失败  ");
    EXPECT_THAT(panel.Notices(), ElementsAre("编程失败          "));
    EXPECT_FALSE(board->ProgrammingMode());
    EXPECT_TRUE(board->Lamps()[0]);
}

TEST_F(BoardFaultTest, WrongAcknowledgementOfABlock) {
    Connect("Mirval 10", {"--fault", "wrong:B@2=0x3F"});
    CommandContext context = Context(Hex("in.eep", {{0, Pattern(1, 600)}}));

    ExpectFailed(ProgramEeprom(context), "写入 EEPROM...       失败  ");
    EXPECT_THAT(panel.Notices(), ElementsAre("EEPROM 编程失败         "));
    EXPECT_FALSE(board->ProgrammingMode());
}

TEST_F(BoardFaultTest, RefusedDeviceSelection) {
    Connect("Mirval 10", {"--fault", "drop:T"});
    CommandContext context = Context(Hex("in.hex", {{0, {1}}}));

    ExpectFailed(VerifyFlash(context), "校验 Flash...     失败  ");
    EXPECT_TRUE(board->Lamps()[0]);
}

TEST_F(BoardFaultTest, HangUpWhileReadingKeepsTheEarlierFile) {
    // The board goes silent a few hundred words into the flash.
    Connect("Orlan 8", {"--block-size", "0", "--fault", "hangup:1500"});
    const std::string path = dir.Path("mine.hex");
    WriteFile(path, "earlier\n");
    panel.Answer(true);
    CommandContext context = Context(path);

    const uint64_t start = board->NowMs();
    ExpectFailed(ReadFlash(context), "读取 Flash...   失败  ");
    EXPECT_LT(board->NowMs() - start, 30'000u);
    EXPECT_THAT(panel.Notices(), ElementsAre("读取失败   "));
    EXPECT_EQ(ReadFile(path), "earlier\n");
    EXPECT_EQ(dir.EntryCount(), 1u);  // the user's file, no temporary one beside it
}

}  // namespace
}  // namespace zentaro::test
