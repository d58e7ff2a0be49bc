// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/flash_loops.h"

#include <algorithm>

#include "operations/loop_progress.h"
#include "operations/mismatch_message.h"

namespace zentaro {

namespace {

constexpr uint8_t kBlank = 0xFF;
constexpr uint32_t kVerifyChunk = 256;

uint8_t ByteAt(const std::vector<uint8_t>& image, uint32_t i) {
    return i < image.size() ? image[i] : kBlank;
}

// A program-memory word as the image holds it: low byte at the even address.
uint16_t WordAt(const std::vector<uint8_t>& image, uint32_t i) {
    return static_cast<uint16_t>(ByteAt(image, i) | ByteAt(image, i + 1) << 8);
}

class FlashWriter {
public:
    FlashWriter(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last, uint32_t pageSize)
        : link_(link), image_(image), last_(last), pageSize_(pageSize) {}

    bool Run() {
        LoopProgress progress = LoopProgress::UpTo(link_.panel(), last_);
        if (!link_.EnterProgMode() || !link_.SetAddress(0)) {
            return false;
        }
        const bool pageMode = link_.Profile().pageMode && pageSize_ >= 2;
        while (n_ <= last_) {
            bool ok = false;
            if (link_.BlockSize() > 0) {
                ok = BlockStep(link_.BlockSize());
            } else if (pageMode) {
                ok = PageStep();
            } else if (link_.WordWide()) {
                ok = WordStep();
            } else {
                ok = ByteStep();
            }
            if (!ok) {
                return false;
            }
            if (!progress.Advance(n_)) {
                return false;
            }
        }
        if (pageSize_ > 0 && pageDirty_ && !CommitPage((n_ - pageBytes_) / 2)) {
            return false;
        }
        return link_.LeaveProgMode();
    }

private:
    bool BlockStep(uint32_t blockSize) {
        const uint32_t end = std::min(n_ + blockSize - 1, last_);
        const auto begin = image_.begin();
        const auto first =
            std::find_if(begin + n_, begin + end + 1, [](uint8_t b) { return b != kBlank; });
        if (first != begin + end + 1) {
            const auto lastData =
                static_cast<uint32_t>(std::find_if(std::make_reverse_iterator(begin + end + 1),
                                                   std::make_reverse_iterator(first),
                                                   [](uint8_t b) { return b != kBlank; })
                                          .base() -
                                      begin - 1);
            auto start = static_cast<uint32_t>(first - begin);
            uint32_t stop = lastData + 1;
            uint32_t address = start;
            if (link_.WordWide()) {
                start &= ~1u;
                stop = (lastData & ~1u) + 2;
                address = start / 2;
            }
            stop = std::min<uint32_t>(stop, static_cast<uint32_t>(image_.size()));
            if (!link_.SetAddress(static_cast<uint16_t>(address)) ||
                !link_.BlockWrite(static_cast<uint16_t>(stop - start), image_.data() + start,
                                  CLowIO::kFlashMemory)) {
                return false;
            }
        }
        n_ += blockSize;
        return true;
    }

    bool PageStep() {
        const uint32_t end = std::min(n_ + pageSize_ - 1, last_);
        const bool blank = std::all_of(image_.begin() + n_, image_.begin() + end + 1,
                                       [](uint8_t b) { return b == kBlank; });
        if (blank) {
            n_ += pageSize_;
        } else {
            pageDirty_ = true;
            for (uint32_t word = 0; word < pageSize_ / 2; ++word) {
                if (!WriteSingle(n_ / 2, WordAt(image_, n_))) {
                    return false;
                }
                pageBytes_ += 2;
                n_ += 2;
            }
        }
        return CommitFullPage();
    }

    bool WordStep() {
        if (pageSize_ > 0 && !CommitFullPage()) {
            return false;
        }
        const uint32_t address = n_;
        n_ += 2;
        pageBytes_ += 2;
        if (ByteAt(image_, address) == kBlank && ByteAt(image_, address + 1) == kBlank) {
            return true;
        }
        pageDirty_ = true;
        return WriteSingle(address / 2, WordAt(image_, address));
    }

    bool ByteStep() {
        const uint32_t address = n_++;
        return image_[address] == kBlank || WriteSingle(address, image_[address]);
    }

    // Commits the page just completed, when anything was written into it.
    bool CommitFullPage() {
        if (pageBytes_ < pageSize_) {
            return true;
        }
        const bool dirty = pageDirty_;
        pageBytes_ = 0;
        pageDirty_ = false;
        return !dirty || CommitPage((n_ - pageSize_) / 2);
    }

    bool CommitPage(uint32_t wordAddress) {
        if (!link_.WritePage(static_cast<uint16_t>(wordAddress))) {
            return false;
        }
        lastWritten_ = wordAddress;
        return true;
    }

    // One word or byte; the address goes out only when the board cannot continue by itself.
    bool WriteSingle(uint32_t address, uint16_t value) {
        const bool continuation = link_.AutoIncrement() && address == lastWritten_ + 1;
        if (!link_.WriteProgramWord(static_cast<uint16_t>(address), value, continuation)) {
            return false;
        }
        lastWritten_ = address;
        return true;
    }

    CLowIO& link_;
    const std::vector<uint8_t>& image_;
    const uint32_t last_;
    const uint32_t pageSize_;
    uint32_t n_ = 0;
    uint32_t pageBytes_ = 0;
    bool pageDirty_ = false;
    // Address 0 is loaded before the first write, so the board already stands there.
    uint32_t lastWritten_ = UINT32_MAX;
};

bool VerifyBySingleReads(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last,
                         LoopProgress& progress) {
    const bool words = link.WordWide();
    for (uint32_t i = 0; i <= last;) {
        const uint32_t address = words ? i / 2 : i;
        const uint16_t expected = words ? WordAt(image, i) : image[i];
        i += words ? 2 : 1;
        uint16_t read = 0;
        if (!link.ReadProgramWord(static_cast<uint16_t>(address), read, link.AutoIncrement()) ||
            read != expected) {
            // A verify the user stopped gives no verdict.
            if (link.panel().StopRequested()) {
                return false;
            }
            link.panel().SetProgressPosition(0);
            link.panel().Notice(WordMismatch(address, expected, read));
            return false;
        }
        if (!progress.Advance(i)) {
            return false;
        }
    }
    return true;
}

bool VerifyByBlocks(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last,
                    LoopProgress& progress) {
    const auto flashEnd = static_cast<uint32_t>(image.size());
    // One spare byte: an odd tail is read up to the even count the board expects.
    std::vector<uint8_t> readBack(last + 2, kBlank);
    for (uint32_t i = 0; i <= last;) {
        const uint32_t chunk = std::min(last - i + 1, kVerifyChunk);
        const uint32_t count = (chunk % 2 != 0 && i + chunk < flashEnd) ? chunk + 1 : chunk;
        if (!link.BlockRead(readBack.data() + i, static_cast<uint16_t>(count),
                            CLowIO::kFlashMemory)) {
            return false;
        }
        i += chunk;
        if (!progress.Advance(i)) {
            return false;
        }
    }
    for (uint32_t j = 0; j <= last; ++j) {
        if (readBack[j] == image[j]) {
            continue;
        }
        link.panel().SetProgressPosition(0);
        if (link.WordWide()) {
            const uint32_t even = j & ~1u;
            const auto read = static_cast<uint16_t>(readBack[even] | readBack[even + 1] << 8);
            link.panel().Notice(WordMismatch(j / 2, WordAt(image, even), read));
        } else {
            link.panel().Notice(ByteMismatch(j, image[j], readBack[j]));
        }
        return false;
    }
    return true;
}

}  // namespace

bool WriteFlashImage(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last,
                     uint32_t pageSize) {
    return FlashWriter(link, image, last, pageSize).Run();
}

bool VerifyFlashImage(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last) {
    LoopProgress progress = LoopProgress::UpTo(link.panel(), last);
    if (!link.EnterProgMode() || !link.SetAddress(0)) {
        return false;
    }
    const bool same = link.BlockSize() > 0 ? VerifyByBlocks(link, image, last, progress)
                                           : VerifyBySingleReads(link, image, last, progress);
    return same && link.LeaveProgMode();
}

}  // namespace zentaro
