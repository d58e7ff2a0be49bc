// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "common/keeping_panel.h"
#include "images/hex_writer.h"

namespace zentaro {

// What the benchmarks program, into which chip, over a line paced at which rate.
inline constexpr const char* kBenchChip = "Mirval 10";
inline constexpr int kBenchBaud = 115200;

// An image without blank bytes, so that every byte goes over the wire.
inline std::vector<uint8_t> TestImage(size_t size) {
    std::mt19937 random(20240601);
    std::vector<uint8_t> image(size);
    for (uint8_t& b : image) {
        b = static_cast<uint8_t>(random() % 255);
    }
    return image;
}

// A temporary folder, removed with everything in it when the bench is done.
struct ScratchFolder {
    ScratchFolder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zentaro-bench-XXXXXX").string();
        path = ::mkdtemp(pattern.data());
    }
    ~ScratchFolder() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    std::filesystem::path path;
};

[[nodiscard]] inline bool WriteHexFile(const std::string& path,
                                       const std::vector<uint8_t>& memory) {
    std::unique_ptr<HexOutput> output = CreateHexOutput(AtomicFile::Create(path));
    return output &&
           WriteHexRecords(*output, memory.data(), static_cast<uint32_t>(memory.size())) &&
           output->WriteEndRecord() && output->Commit();
}

// The options of a paced board without block transfers: every word is its own exchange.
inline std::vector<std::string> SingleWordBoardOptions() {
    return {"--chip",       kBenchChip, "--pace",           "--baud", std::to_string(kBenchBaud),
            "--block-size", "0",        "--auto-increment", "Y"};
}

}  // namespace zentaro
