// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "images/binary_image.h"
#include "images/srecord_reader.h"
#include "images/srecord_writer.h"
#include "support/temp_dir.h"

namespace zentaro {
namespace {

std::vector<uint8_t> RandomMemory(uint32_t size) {
    std::mt19937 random(size);
    std::vector<uint8_t> memory(size);
    for (uint8_t& byte : memory) {
        byte = static_cast<uint8_t>(random());
    }
    return memory;
}

// The file a writer left.
std::string Write(bool (*write)(AtomicFile&, const uint8_t*, uint32_t),
                  const std::vector<uint8_t>& memory) {
    const test::TempDir dir;
    auto output = AtomicFile::Create(dir.Path("out"));
    EXPECT_TRUE(output && write(*output, memory.data(), static_cast<uint32_t>(memory.size())) &&
                output->Commit());
    return test::ReadFile(dir.Path("out"));
}

TEST(SRecordWriterTest, SmallMemory) {
    std::vector<uint8_t> memory(20);
    for (size_t i = 0; i < memory.size(); ++i) {
        memory[i] = static_cast<uint8_t>(i);
    }
    EXPECT_EQ(Write(WriteSRecords, memory),
              "S0030000FC\n"
              "S1130000000102030405060708090A0B0C0D0E0F74\n"
              "S107001010111213A2\n"
              "S5030002FA\n"
              "S9030000FC\n");
}

TEST(SRecordWriterTest, ReaderReproducesWhatTheWriterWroteInTheNarrowestRecords) {
    const struct {
        uint32_t size;
        const char* start;
        const char* end;
    } cases[] = {
        {0, "S0030000FC\nS5", "S5030000FC\nS9030000FC\n"},
        {0x10000, "S0030000FC\nS1", "S5031000EC\nS9030000FC\n"},
        {0x10001, "S0030000FC\nS2", "S5031001EB\nS804000000FB\n"},
        {0x100010, "S0030000FC\nS2", "S604010001F9\nS804000000FB\n"},
    };
    for (const auto& c : cases) {
        const std::vector<uint8_t> memory = RandomMemory(c.size);
        const std::string text = Write(WriteSRecords, memory);
        EXPECT_TRUE(text.starts_with(c.start) && text.ends_with(c.end)) << c.size;
        std::istringstream file(text);
        std::vector<uint8_t> image(c.size, 0xFF);
        ImageLoadState state;
        const SRecordLoad load = LoadSRecordImage(file, image, state);
        EXPECT_TRUE(load.malformedLine == 0 && load.checksumsMatch) << c.size;
        EXPECT_EQ(image, memory) << c.size;
        EXPECT_EQ(state.highestAddress, c.size > 0 ? c.size - 1 : 0) << c.size;
    }
}

TEST(BinaryWriterTest, ReaderReproducesWhatTheWriterWrote) {
    for (uint32_t size : {0u, 1u, 0x20000u}) {
        const std::vector<uint8_t> memory = RandomMemory(size);
        std::istringstream file(Write(WriteBinaryImage, memory));
        std::vector<uint8_t> image(size, 0xFF);
        ImageLoadState state;
        LoadBinaryImage(file, image, state);
        EXPECT_EQ(image, memory) << size;
        EXPECT_EQ(state.loadedData, size > 0) << size;
    }
}

}  // namespace
}  // namespace zentaro
