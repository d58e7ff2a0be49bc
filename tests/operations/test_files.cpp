#include "operations/test_files.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "images/hex_reader.h"

namespace zentaro::testing {

ScratchDir::ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zentaro-ops-XXXXXX").string();
    root_ = ::mkdtemp(pattern.data());
}

ScratchDir::~ScratchDir() {
    std::error_code error;
    std::filesystem::remove_all(root_, error);
}

size_t ScratchDir::EntryCount() const {
    size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(root_)) {
        ++count;
    }
    return count;
}

std::string ReadText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string HexText(const std::map<uint32_t, std::vector<uint8_t>>& records) {
    std::string text;
    uint32_t segment = 0;
    char field[32];
    for (const auto& [address, bytes] : records) {
        if (address >> 16 != segment) {
            segment = address >> 16;
            const unsigned value = segment << 12;
            std::snprintf(field, sizeof field, ":02000002%04X%02X\n", value,
                          (0x100 - ((4 + (value >> 8) + (value & 0xFF)) & 0xFF)) & 0xFF);
            text += field;
        }
        const unsigned offset = address & 0xFFFF;
        unsigned sum = static_cast<unsigned>(bytes.size()) + (offset >> 8) + (offset & 0xFF);
        std::snprintf(field, sizeof field, ":%02X%04X00", static_cast<unsigned>(bytes.size()),
                      offset);
        text += field;
        for (uint8_t b : bytes) {
            std::snprintf(field, sizeof field, "%02X", b);
            text += field;
            sum += b;
        }
        std::snprintf(field, sizeof field, "%02X\n", (0x100 - (sum & 0xFF)) & 0xFF);
        text += field;
    }
    return text + ":00000001FF\n";
}

std::vector<uint8_t> LoadedMemory(const std::string& path, size_t size) {
    std::ifstream file(path);
    std::vector<uint8_t> memory(size, 0xFF);
    HexLoadState state;
    EXPECT_TRUE(IsHexFile(file)) << path;
    EXPECT_TRUE(LoadHexImage(file, memory, state)) << path;
    return memory;
}

}  // namespace zentaro::testing
