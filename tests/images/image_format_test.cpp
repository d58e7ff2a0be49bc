// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/image_format.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zentaro {
namespace {

TEST(ImageFormatTest, ContentDecidesThenTheName) {
    const std::string elf(
        "\x7F"
        "ELF\x01\x01\x01",
        7);
    const std::string rjmp("\x3A\xC0\x00\x00", 4);
    const struct {
        std::string content;
        std::string name;
        ImageFormat format;
    } cases[] = {
        {elf, "a.hex", ImageFormat::Elf},
        {":100000000C94", "a.bin", ImageFormat::IntelHex},
        {"S00600004844521B\n", "a.hex", ImageFormat::SRecord},
        {" \r\n\tS1130000", "a", ImageFormat::SRecord},
        // A raw image whose first instruction starts with ':' or 'S' is no text.
        {rjmp, "a.bin", ImageFormat::Binary},
        {"S4\xC0", "a.BIN", ImageFormat::Binary},
        {"S1 hello", "a.hex", ImageFormat::Unknown},
        {rjmp, "a.hex", ImageFormat::Unknown},
        // Cipher text may start like anything.
        {":100000000C94", "a.ebn", ImageFormat::EncryptedImage},
    };
    for (const auto& c : cases) {
        std::istringstream file(c.content);
        EXPECT_EQ(DetectImageFormat(file, c.name), c.format) << c.name << " " << c.content;
        EXPECT_EQ(file.tellg(), 0) << c.content;
    }
}

TEST(ImageFormatTest, OverrideNamesAFormat) {
    EXPECT_EQ(ParseImageFormat("hex"), ImageFormat::IntelHex);
    EXPECT_EQ(ParseImageFormat("srec"), ImageFormat::SRecord);
    EXPECT_EQ(ParseImageFormat("bin"), ImageFormat::Binary);
    EXPECT_EQ(ParseImageFormat("elf"), ImageFormat::Elf);
    for (const char* other : {"", "HEX", "s19", "ebn", "hex "}) {
        EXPECT_EQ(ParseImageFormat(other), std::nullopt) << other;
    }
}

TEST(ImageFormatTest, OutputNameChoosesTheFormat) {
    for (const char* name : {"a.srec", "a.s19", "a.S28", "a.s37", "dir/a.MOT"}) {
        EXPECT_EQ(FormatForOutputName(name), ImageFormat::SRecord) << name;
    }
    EXPECT_EQ(FormatForOutputName("a.Bin"), ImageFormat::Binary);
    for (const char* name : {"a.hex", "a", "a.srec.txt", "s19", "a.elf"}) {
        EXPECT_EQ(FormatForOutputName(name), ImageFormat::IntelHex) << name;
    }
}

}  // namespace
}  // namespace zentaro
