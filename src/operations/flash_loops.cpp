// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/flash_loops.h"

#include <algorithm>
#include <optional>
#include <string>

#include "operations/loop_progress.h"
#include "operations/mismatch_message.h"

namespace zentaro {

namespace {

constexpr uint8_t kBlank = 0xFF;
constexpr uint16_t kBlankWord = 0xFFFF;
constexpr uint32_t kVerifyChunk = 256;

using Image = std::vector<uint8_t>;

bool IsBlank(uint8_t b) {
    return b == kBlank;
}

uint8_t ByteAt(const Image& image, uint32_t i) {
    return i < image.size() ? image[i] : kBlank;
}

// A program-memory word as the image holds it: low byte at the even address.
uint16_t WordAt(const Image& image, uint32_t i) {
    return static_cast<uint16_t>(ByteAt(image, i) | ByteAt(image, i + 1) << 8);
}

bool AllBlank(const Image& image, uint32_t first, uint32_t last) {
    return std::all_of(image.begin() + first, image.begin() + last + 1, IsBlank);
}

// Programming mode and the bar up to last around one loop that starts at byte address first:
// the mode is left only after a loop that succeeded.
template <typename Loop>
bool InProgrammingMode(CLowIO& link, Panel& panel, uint32_t first, uint32_t last, Loop loop) {
    LoopProgress progress = LoopProgress::UpTo(panel, last);
    if (!link.EnterProgMode() ||
        !link.wire().SetAddress(static_cast<uint16_t>(link.WordWide() ? first / 2 : first))) {
        return false;
    }
    return loop(progress) && link.LeaveProgMode();
}

// Calls writeUnit for each unit of unitSize bytes from address 0 until last is covered. The
// bar moves to the end of each unit written, and a stop is honoured there.
template <typename WriteUnit>
bool WriteUnits(uint32_t last, uint32_t unitSize, LoopProgress& progress, WriteUnit writeUnit) {
    for (uint32_t at = 0; at <= last; at += unitSize) {
        if (!writeUnit(at) || !progress.Advance(at + unitSize)) {
            return false;
        }
    }
    return true;
}

// Single words or bytes, each sent without its address when the board's counter already
// stands there: one past the last address used. A page commit uses the page's address.
class AddressedWrites {
public:
    explicit AddressedWrites(CLowIO& link) : link_(link) {}

    bool Write(uint32_t address, uint16_t value) {
        const bool continues = link_.AutoIncrement() && address == lastAddress_ + 1;
        if (!link_.WriteProgramWord(static_cast<uint16_t>(address), value, continues)) {
            return false;
        }
        lastAddress_ = address;
        return true;
    }

    bool CommitPage(uint32_t wordAddress) {
        if (!link_.wire().WritePage(static_cast<uint16_t>(wordAddress))) {
            return false;
        }
        lastAddress_ = wordAddress;
        return true;
    }

private:
    CLowIO& link_;
    // Address 0 is loaded before the first write, so the board already stands there.
    uint32_t lastAddress_ = UINT32_MAX;
};

// Bytes first … last of the image, the first and last non-blank ones of a block.
struct DataStretch {
    uint32_t first;
    uint32_t last;
};

std::optional<DataStretch> FindData(const Image& image, uint32_t from, uint32_t to) {
    uint32_t first = from;
    while (first <= to && IsBlank(image[first])) {
        ++first;
    }
    if (first > to) {
        return std::nullopt;
    }
    uint32_t last = to;
    while (IsBlank(image[last])) {
        --last;
    }
    return DataStretch{first, last};
}

// One block: from its first to its last non-blank byte in a single block write, nothing when
// it is blank. A word-wide board takes whole words and word addresses.
bool WriteBlock(CLowIO& link, const Image& image, uint32_t from, uint32_t to) {
    const std::optional<DataStretch> data = FindData(image, from, to);
    if (!data) {
        return true;
    }
    const bool words = link.WordWide();
    const uint32_t begin = words ? data->first & ~1u : data->first;
    const uint32_t end = std::min(words ? (data->last & ~1u) + 2 : data->last + 1,
                                  static_cast<uint32_t>(image.size()));
    return link.wire().SetAddress(static_cast<uint16_t>(words ? begin / 2 : begin)) &&
           link.wire().BlockWrite(static_cast<uint16_t>(end - begin), image.data() + begin,
                                  BoardProtocol::kFlashMemory);
}

// One page of a page-mode device: every word of it, blank ones too, then the commit; a page
// without data in the range is skipped whole.
bool WritePage(AddressedWrites& writes, const Image& image, uint32_t from, uint32_t pageSize,
               uint32_t last) {
    if (AllBlank(image, from, std::min(from + pageSize - 1, last))) {
        return true;
    }
    for (uint32_t at = from; at < from + pageSize; at += 2) {
        if (!writes.Write(at / 2, WordAt(image, at))) {
            return false;
        }
    }
    return writes.CommitPage(from / 2);
}

// Word by word, blank words skipped. On a device with pages (pageSize > 0) the board gathers
// a page's words until told to commit it: a page that got any word is committed when the next
// page's first word is due, or after the range. A stop after a page's last word thus leaves
// that page uncommitted.
class WordWrites {
public:
    WordWrites(AddressedWrites& writes, const Image& image, uint32_t pageSize)
        : writes_(writes), image_(image), pageSize_(pageSize) {}

    bool Write(uint32_t at) {
        if (StartsPage(at) && !CommitGatheredPage()) {
            return false;
        }
        const uint16_t word = WordAt(image_, at);
        if (word == kBlankWord) {
            return true;
        }
        if (pageSize_ > 0) {
            gatheredPage_ = (at - at % pageSize_) / 2;
        }
        return writes_.Write(at / 2, word);
    }

    bool CommitGatheredPage() {
        if (!gatheredPage_) {
            return true;
        }
        const uint32_t page = *gatheredPage_;
        gatheredPage_.reset();
        return writes_.CommitPage(page);
    }

private:
    bool StartsPage(uint32_t at) const { return pageSize_ > 0 && at % pageSize_ == 0; }

    AddressedWrites& writes_;
    const Image& image_;
    const uint32_t pageSize_;
    // The word address of the page holding words not yet committed.
    std::optional<uint32_t> gatheredPage_;
};

bool WriteByte(AddressedWrites& writes, const Image& image, uint32_t at) {
    return IsBlank(image[at]) || writes.Write(at, image[at]);
}

// In the largest units the board and the device take: blocks, whole pages, words or bytes.
bool WriteImage(CLowIO& link, const Image& image, uint32_t last, uint32_t pageSize,
                LoopProgress& progress) {
    if (const uint32_t blockSize = link.BlockSize(); blockSize > 0) {
        return WriteUnits(last, blockSize, progress, [&](uint32_t at) {
            return WriteBlock(link, image, at, std::min(at + blockSize - 1, last));
        });
    }
    AddressedWrites writes(link);
    if (link.Profile().pageMode && pageSize >= 2) {
        return WriteUnits(last, pageSize, progress, [&](uint32_t at) {
            return WritePage(writes, image, at, pageSize, last);
        });
    }
    if (link.WordWide()) {
        WordWrites words(writes, image, pageSize);
        return WriteUnits(last, 2, progress, [&](uint32_t at) { return words.Write(at); }) &&
               words.CommitGatheredPage();
    }
    return WriteUnits(last, 1, progress, [&](uint32_t at) { return WriteByte(writes, image, at); });
}

bool VerifyBySingleReads(CLowIO& link, const Image& image, uint32_t first, uint32_t last,
                         LoopProgress& progress) {
    const bool words = link.WordWide();
    for (uint32_t i = first; i <= last;) {
        const uint32_t address = words ? i / 2 : i;
        const uint16_t expected = words ? WordAt(image, i) : image[i];
        i += words ? 2 : 1;
        uint16_t read = 0;
        if (!link.ReadProgramWord(static_cast<uint16_t>(address), read, link.AutoIncrement()) ||
            read != expected) {
            // A verify the user stopped gives no verdict.
            if (!progress.StopRequested()) {
                progress.ShowMismatch(WordMismatch(address, expected, read));
            }
            return false;
        }
        if (!progress.Advance(i)) {
            return false;
        }
    }
    return true;
}

// The chip's bytes first … last, with one spare byte: an odd tail is read up to the even
// count the board expects, unless it ends the flash.
bool ReadBackByBlocks(CLowIO& link, uint32_t first, uint32_t last, uint32_t flashEnd,
                      Image& readBack, LoopProgress& progress) {
    readBack.assign(last + 2, kBlank);
    for (uint32_t i = first; i <= last;) {
        const uint32_t chunk = std::min(last - i + 1, kVerifyChunk);
        const uint32_t count = (chunk % 2 != 0 && i + chunk < flashEnd) ? chunk + 1 : chunk;
        if (!link.wire().BlockRead(readBack.data() + i, static_cast<uint16_t>(count),
                                   BoardProtocol::kFlashMemory)) {
            return false;
        }
        i += chunk;
        if (!progress.Advance(i)) {
            return false;
        }
    }
    return true;
}

// True when the chip holds the image in first … last; otherwise shows the first difference,
// as a word on a word-wide board.
bool SameAsImage(CLowIO& link, const Image& image, const Image& readBack, uint32_t first,
                 uint32_t last, LoopProgress& progress) {
    const auto imageEnd = image.begin() + last + 1;
    const auto differs =
        std::mismatch(image.begin() + first, imageEnd, readBack.begin() + first).first;
    if (differs == imageEnd) {
        return true;
    }
    const auto j = static_cast<uint32_t>(differs - image.begin());
    const uint32_t even = j & ~1u;
    progress.ShowMismatch(link.WordWide()
                              ? WordMismatch(j / 2, WordAt(image, even), WordAt(readBack, even))
                              : ByteMismatch(j, image[j], readBack[j]));
    return false;
}

bool VerifyByBlocks(CLowIO& link, const Image& image, uint32_t first, uint32_t last,
                    LoopProgress& progress) {
    Image readBack;
    return ReadBackByBlocks(link, first, last, static_cast<uint32_t>(image.size()), readBack,
                            progress) &&
           SameAsImage(link, image, readBack, first, last, progress);
}

}  // namespace

bool WriteFlashImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image, uint32_t last,
                     uint32_t pageSize) {
    return InProgrammingMode(link, panel, 0, last, [&](LoopProgress& progress) {
        return WriteImage(link, image, last, pageSize, progress);
    });
}

bool VerifyFlashRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image, uint32_t first,
                      uint32_t last) {
    // A word-wide board reads whole words, from the one that holds first.
    const uint32_t start = link.WordWide() ? first & ~1u : first;
    return InProgrammingMode(link, panel, start, last, [&](LoopProgress& progress) {
        return link.BlockSize() > 0 ? VerifyByBlocks(link, image, start, last, progress)
                                    : VerifyBySingleReads(link, image, start, last, progress);
    });
}

bool VerifyFlashImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                      uint32_t last) {
    return VerifyFlashRange(link, panel, image, 0, last);
}

}  // namespace zentaro
