// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/elf_reader.h"

#include <algorithm>
#include <iterator>
#include <utility>

#include "images/elf_segments.h"
#include "images/text_pieces.h"

namespace zentaro {
namespace {

struct AddressRange {
    uint64_t start;
    uint64_t end;
};

constexpr AddressRange kFlash{0, 0x800000};
constexpr AddressRange kEeprom{0x810000, 0x820000};
constexpr uint64_t kFuses = 0x820000;
constexpr uint64_t kLock = 0x830000;

}  // namespace

ElfContents ReadElf(std::vector<uint8_t> file) {
    ElfContents contents;
    contents.error = ReadElfSegments(file, contents.segments);
    if (!contents.error.empty()) {
        contents.segments.clear();
    }
    return contents;
}

ElfContents ReadElf(std::istream& file) {
    Rewind(file);
    return ReadElf(std::vector<uint8_t>(std::istreambuf_iterator<char>(file),
                                        std::istreambuf_iterator<char>()));
}

bool LoadElfMemory(const ElfContents& contents, ImageMemory memory, std::vector<uint8_t>& image,
                   ImageLoadState& state) {
    const AddressRange range = memory == ImageMemory::Flash ? kFlash : kEeprom;
    bool found = false;
    for (const ElfSegment& segment : contents.segments) {
        if (segment.address >= range.end) {
            continue;
        }
        const uint64_t start = std::max(segment.address, range.start);
        const uint64_t end = std::min(segment.address + segment.bytes.size(), range.end);
        if (start < end) {
            StoreImageBytes(image, state, start - range.start,
                            segment.bytes.data() + (start - segment.address), end - start);
            found = true;
        }
    }
    return found;
}

ElfConfigBytes ReadElfConfigBytes(const ElfContents& contents) {
    ElfConfigBytes config;
    const std::pair<uint64_t, std::optional<uint8_t>*> places[] = {{kFuses, &config.low},
                                                                   {kFuses + 1, &config.high},
                                                                   {kFuses + 2, &config.extended},
                                                                   {kLock, &config.lock}};
    for (const ElfSegment& segment : contents.segments) {
        for (const auto& [address, byte] : places) {
            if (address >= segment.address && address - segment.address < segment.bytes.size()) {
                *byte = segment.bytes[address - segment.address];
            }
        }
    }
    return config;
}

}  // namespace zentaro
