// SPDX-License-Identifier: GPL-3.0-or-later
// An image blank but for pieces of data the input places (at 0, at the end, anywhere),
// written as HEX records and read back. Sizes up to 304 bytes are any; larger ones lie around
// the 64 KiB boundaries and the 1 MiB limit, because writing and reading a large image
// costs a thousand small ones.
#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <sstream>

#include "blank_check.h"
#include "hostile_port.h"
#include "images/hex_reader.h"
#include "images/hex_writer.h"
#include "memory_hex_output.h"

namespace {

constexpr uint32_t kSmallImages = 0x130;
constexpr uint32_t kMaxHexSpan = 0x100000;
constexpr uint32_t kLargestImage = kMaxHexSpan + 0x20;

uint32_t ImageSize(zentaro::fuzz::FuzzBytes& input) {
    const uint8_t kind = input.Byte();
    const uint32_t size = input.Word();
    if (kind < 0xFC) {
        return size % (kSmallImages + 1);
    }
    if (kind == 0xFF) {
        return kMaxHexSpan + 1 + size % 0x1F;
    }
    // Below, at and above the first or second 64 KiB boundary by a record or part of one.
    const uint32_t boundary = kind < 0xFE ? 0x10000 : 0x20000;
    return boundary - 0x10 + size % 0x30;
}

void Require(bool property) {
    if (!property) {
        std::abort();
    }
}

// Kept across inputs: each input fills what it uses and leaves the image blank again.
std::vector<uint8_t> image(kLargestImage, 0xFF);
uint32_t imageSize = 0;
std::vector<uint8_t> loaded;

// Sixteen blanks, compared as two words: this is asked for every record of the image, and a
// memcmp call goes through the sanitizer's checks each time.
bool BlankRecord(const uint8_t bytes[16]) {
    uint64_t low = 0;
    uint64_t high = 0;
    std::memcpy(&low, bytes, sizeof low);
    std::memcpy(&high, bytes + 8, sizeof high);
    return (low & high) == ~uint64_t{0};
}

// A record of blanks well away from the start, the end and any 64 KiB boundary: a large
// image is mostly these, and formatting and parsing thousands of them per input would cost
// what a thousand small images cost. They still pass through the writer, which must hand
// each one over at its address with the image's own bytes.
bool FarBlankRecord(uint32_t address, const uint8_t bytes[16]) {
    constexpr uint32_t kMargin = 0x40;
    const uint32_t offset = address & 0xFFFF;
    const bool far = address >= kMargin && offset >= kMargin && offset < 0x10000 - kMargin &&
                     address + 16 + kMargin <= imageSize;
    Require(bytes == image.data() + address);
    return far && BlankRecord(bytes);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using zentaro::fuzz::AllEqual;
    static std::istringstream file;

    zentaro::fuzz::FuzzBytes input(data, size);
    imageSize = ImageSize(input);
    // Kept across inputs too, so that its text and the stream's keep their room: growing
    // them anew for every input cost more than writing the records.
    static zentaro::fuzz::MemoryHexOutput output;
    output.text.clear();
    if (imageSize > kMaxHexSpan) {
        // Segment records cannot reach past 1 MiB: refused before anything is written, so
        // what the image holds does not matter.
        Require(!zentaro::WriteHexRecords(output, image.data(), imageSize) && output.text.empty());
        return 0;
    }
    // Pieces: a position (the first at 0, the second ending at the last byte) and bytes.
    for (int piece = 0; imageSize > 0; ++piece) {
        const uint32_t where = uint32_t{input.Byte()} << 16 | input.Word();
        size_t length = 0;
        const uint8_t* bytes = input.Take(input.Byte(), length);
        if (length == 0) {
            break;
        }
        length = std::min<size_t>(length, imageSize);
        const size_t start = piece == 0   ? 0
                             : piece == 1 ? imageSize - length
                                          : where % (imageSize - length + 1);
        std::memcpy(image.data() + start, bytes, length);
    }

    output.skipBlank = FarBlankRecord;
    Require(zentaro::WriteHexRecords(output, image.data(), imageSize) && output.WriteEndRecord());
    file.str(output.text);
    loaded.assign(imageSize, 0xFF);
    zentaro::HexLoadState state;
    Require(zentaro::IsHexFile(file) && zentaro::LoadHexImage(file, loaded, state));

    // Whole records go out; a tail shorter than a record does not.
    const uint32_t written = imageSize / 16 * 16;
    Require(state.loadedData == (written > 0));
    Require(written == 0 || state.highestAddress == written - 1);
    Require(std::equal(image.begin(), image.begin() + written, loaded.begin()));
    Require(AllEqual(loaded.data() + written, imageSize - written, 0xFF));

    std::memset(image.data(), 0xFF, imageSize);
    return 0;
}
