// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/elf_reader.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace zentaro {
namespace {

std::vector<uint8_t> DataFile(const std::string& name) {
    const std::string text = test::ReadFile(std::string(ZENTARO_IMAGES_DATA "/") + name);
    return {text.begin(), text.end()};
}

TEST(ElfReadTest, DamagedFileIsRefusedWithTheReason) {
    // image_elf32-little.elf: its program headers at 0x34 to 0xD4, its segments' bytes at
    // 0xD4 to 0xA18, its section header table after them.
    const std::vector<uint8_t> good = DataFile("image_elf32-little.elf");
    const auto cut = [&good](size_t size) {
        return std::vector<uint8_t>(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
    };
    const auto changed = [&good](size_t at, uint8_t value) {
        std::vector<uint8_t> file = good;
        file[at] = value;
        return file;
    };
    const struct {
        std::vector<uint8_t> file;
        std::string error;
    } cases[] = {
        {{}, "not an ELF file"},
        {cut(0x30), "truncated ELF header"},
        {changed(4, 3), "unknown ELF class"},
        {changed(5, 0), "unknown ELF byte order"},
        {changed(6, 2), "unknown ELF version"},
        {cut(0x60), "truncated program header table"},
        {cut(0x200), "truncated segment"},
        {cut(0xA18), ""},
    };
    for (const auto& c : cases) {
        const ElfContents contents = ReadElf(c.file);
        EXPECT_EQ(contents.error, c.error) << c.file.size();
        EXPECT_EQ(contents.segments.empty(), !c.error.empty()) << c.file.size();
    }
    const std::vector<uint8_t> sections = DataFile("image_sections.elf");
    EXPECT_EQ(ReadElf({sections.begin(), sections.end() - 1}).error,
              "truncated section header table");
}

TEST(ElfReadTest, SegmentsAreCutAtTheEndsOfEachMemory) {
    // Two flash bytes and two in data space; one in data space and two EEPROM bytes.
    const ElfContents contents{"", {{0x7FFFFE, {1, 2, 3, 4}}, {0x80FFFF, {5, 6, 7}}}};
    std::vector<uint8_t> flash(4, 0xFF);
    std::vector<uint8_t> eeprom(4, 0xFF);
    ImageLoadState flashState;
    ImageLoadState eepromState;
    EXPECT_TRUE(LoadElfMemory(contents, ImageMemory::Flash, flash, flashState));
    EXPECT_TRUE(LoadElfMemory(contents, ImageMemory::Eeprom, eeprom, eepromState));
    EXPECT_EQ(flashState.highestAddress, 0x7FFFFFu);
    EXPECT_EQ(eeprom, (std::vector<uint8_t>{6, 7, 0xFF, 0xFF}));
    EXPECT_EQ(eepromState.highestAddress, 1u);
}

}  // namespace
}  // namespace zentaro
