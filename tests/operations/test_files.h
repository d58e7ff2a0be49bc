// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace zentaro::test {

// A fresh folder for one test's files, removed with everything in it.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    std::string Path(const std::string& name) const { return (root_ / name).string(); }
    size_t EntryCount() const;

private:
    std::filesystem::path root_;
};

std::string ReadText(const std::string& path);
void WriteText(const std::string& path, const std::string& text);

// Intel HEX text for the data (byte address -> bytes) in records of up to 16 bytes, with
// segment records past 64 KiB, and the end record.
std::string HexText(const std::map<uint32_t, std::vector<uint8_t>>& records);

// The memory a HEX file holds, loaded into size bytes of 0xFF through the image reader.
std::vector<uint8_t> LoadedMemory(const std::string& path, size_t size);

}  // namespace zentaro::test
