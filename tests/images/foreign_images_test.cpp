// SPDX-License-Identifier: GPL-3.0-or-later
// Files other tools made from the same bytes (data/make_images.sh) load into the images the
// Intel HEX reader makes from the HEX files those tools made.
#include <gtest/gtest.h>

#include <fstream>

#include "images/binary_image.h"
#include "images/elf_reader.h"
#include "images/hex_reader.h"
#include "images/image_format.h"
#include "images/srecord_reader.h"

namespace zentaro {
namespace {

struct Loaded {
    bool ok = false;
    ImageLoadState state;
    std::vector<uint8_t> image = std::vector<uint8_t>(0x1000, 0xFF);
};

// The file's flash image, or with eeprom its EEPROM image, by the format it shows.
Loaded Load(const std::string& name, bool eeprom = false) {
    const std::string path = std::string(ZENTARO_IMAGES_DATA "/") + name;
    std::ifstream file(path, std::ios::binary);
    Loaded loaded;
    switch (DetectImageFormat(file, path)) {
        case ImageFormat::IntelHex:
            loaded.ok = LoadHexImage(file, loaded.image, loaded.state);
            break;
        case ImageFormat::SRecord: {
            const SRecordLoad load = LoadSRecordImage(file, loaded.image, loaded.state);
            loaded.ok = load.malformedLine == 0 && load.checksumsMatch;
            break;
        }
        case ImageFormat::Binary:
            LoadBinaryImage(file, loaded.image, loaded.state);
            loaded.ok = true;
            break;
        case ImageFormat::Elf: {
            const ElfContents contents = ReadElf(file);
            loaded.ok = LoadElfMemory(contents, eeprom ? ImageMemory::Eeprom : ImageMemory::Flash,
                                      loaded.image, loaded.state);
            break;
        }
        default:
            ADD_FAILURE() << name;
    }
    return loaded;
}

void ExpectSame(const Loaded& loaded, const Loaded& reference, const std::string& name) {
    EXPECT_TRUE(loaded.ok) << name;
    EXPECT_EQ(loaded.image, reference.image) << name;
    EXPECT_EQ(loaded.state.highestAddress, reference.state.highestAddress) << name;
}

TEST(ForeignImagesTest, EveryFormatLoadsWhatTheHexFilesHold) {
    const Loaded flash = Load("image.hex");
    const Loaded eeprom = Load("eeprom.hex");
    ASSERT_TRUE(flash.ok && eeprom.ok);
    for (const char* name : {"image_s1.srec", "image_s2.s28", "image_s3.s37", "image.bin"}) {
        ExpectSame(Load(name), flash, name);
    }
    for (const char* name : {"image_elf32-little.elf", "image_elf64-little.elf",
                             "image_elf32-big.elf", "image_elf64-big.elf", "image_sections.elf"}) {
        ExpectSame(Load(name), flash, name);
        ExpectSame(Load(name, true), eeprom, name);
        std::ifstream file(std::string(ZENTARO_IMAGES_DATA "/") + name, std::ios::binary);
        const ElfConfigBytes config = ReadElfConfigBytes(ReadElf(file));
        EXPECT_TRUE(config.low == 0xE2 && config.high == 0xD9 && config.extended == 0xFD &&
                    config.lock == 0xFC)
            << name;
    }
}

TEST(ForeignImagesTest, ElfFileWithoutEepromDataSaysSo) {
    // Its EEPROM segment is still there, with no bytes in the file.
    const Loaded eeprom = Load("no_eeprom.elf", true);
    EXPECT_FALSE(eeprom.ok);
    EXPECT_FALSE(eeprom.state.loadedData);
    EXPECT_EQ(eeprom.image, std::vector<uint8_t>(0x1000, 0xFF));
    ExpectSame(Load("no_eeprom.elf"), Load("image.hex"), "no_eeprom.elf");
}

}  // namespace
}  // namespace zentaro
