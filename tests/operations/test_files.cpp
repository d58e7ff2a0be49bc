// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/test_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "images/hex_reader.h"

namespace zentaro::test {

std::vector<uint8_t> LoadedMemory(const std::string& path, size_t size) {
    std::ifstream file(path);
    std::vector<uint8_t> memory(size, 0xFF);
    HexLoadState state;
    EXPECT_TRUE(IsHexFile(file)) << path;
    EXPECT_TRUE(LoadHexImage(file, memory, state)) << path;
    return memory;
}

}  // namespace zentaro::test
