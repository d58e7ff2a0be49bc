// SPDX-License-Identifier: GPL-3.0-or-later
// Any file bytes read as ELF, then its flash and EEPROM loaded into a 128 KiB image and its
// fuse and lock bytes looked up.
#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "blank_check.h"
#include "images/elf_reader.h"

namespace {

void Require(bool property) {
    if (!property) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The image lives across inputs; each load leaves it blank again for the next.
    static std::vector<uint8_t> image(131072, 0xFF);
    const zentaro::ElfContents contents = zentaro::ReadElf(std::vector<uint8_t>(data, data + size));
    // A refused file has nothing to load.
    Require(contents.error.empty() || contents.segments.empty());
    for (const zentaro::ImageMemory memory :
         {zentaro::ImageMemory::Flash, zentaro::ImageMemory::Eeprom}) {
        zentaro::ImageLoadState state;
        const bool found = zentaro::LoadElfMemory(contents, memory, image, state);
        Require(found == state.loadedData && (found || state.highestAddress == 0));
        const size_t stored =
            found ? std::min<size_t>(state.highestAddress + 1ull, image.size()) : 0;
        Require(zentaro::fuzz::AllEqual(image.data() + stored, image.size() - stored, 0xFF));
        std::memset(image.data(), 0xFF, stored);
    }
    static_cast<void>(zentaro::ReadElfConfigBytes(contents));
    return 0;
}
