// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <vector>

#include "images/image_format.h"
#include "images/image_load_state.h"

namespace zentaro {

// Whether this build reads ELF files: it does where there is libelf, which Debian does not
// build for Windows; there ReadElf refuses every file with the reason.
#ifdef _WIN32
inline constexpr bool kElfFilesReadable = false;
#else
inline constexpr bool kElfFilesReadable = true;
#endif

// One run of loadable bytes at its physical address.
struct ElfSegment {
    uint64_t address = 0;
    std::vector<uint8_t> bytes;
};

// What an ELF file holds to be loaded, or why it cannot be read.
struct ElfContents {
    // Empty when the file was read; otherwise the reason in English, such as "not an ELF
    // file" or "truncated program header".
    std::string error;
    // The file's loadable program headers with file bytes, or, when it has no program
    // headers, its allocated sections with contents (at their addresses).
    std::vector<ElfSegment> segments;
};

// Reads an ELF file of either class and byte order.
ElfContents ReadElf(std::vector<uint8_t> file);
// The same for the whole stream. Rewinds it first.
ElfContents ReadElf(std::istream& file);

// Stores the bytes each memory's address range holds into image, by their offset in the
// range: flash below 0x800000, EEPROM from 0x810000 below 0x820000. False when the file has
// no byte there; then image and state are as they were.
[[nodiscard]] bool LoadElfMemory(const ElfContents& contents, ImageMemory memory,
                                 std::vector<uint8_t>& image, ImageLoadState& state);

// The fuse bytes at 0x820000 (low), 0x820001 (high) and 0x820002 (extended) and the lock
// byte at 0x830000; each one the file has no byte for is empty.
struct ElfConfigBytes {
    std::optional<uint8_t> low;
    std::optional<uint8_t> high;
    std::optional<uint8_t> extended;
    std::optional<uint8_t> lock;
};
ElfConfigBytes ReadElfConfigBytes(const ElfContents& contents);

}  // namespace zentaro
