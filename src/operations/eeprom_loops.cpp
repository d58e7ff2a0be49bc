// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/eeprom_loops.h"

#include <algorithm>

#include "operations/loop_progress.h"
#include "operations/mismatch_message.h"

namespace zentaro {

namespace {

constexpr uint32_t kReadChunk = 256;

void ShowMismatch(Panel& panel, uint32_t address, uint8_t expected, uint8_t read) {
    panel.SetProgressPosition(0);
    panel.Notice(ByteMismatch(address, expected, read));
}

bool VerifyBySingleReads(CLowIO& link, const std::vector<uint8_t>& image, uint32_t first,
                         uint32_t last, LoopProgress& progress) {
    for (uint32_t pos = first; pos <= last; ++pos) {
        uint8_t read = 0;
        if (!link.ReadEepromByte(static_cast<uint16_t>(pos), read, link.AutoIncrement()) ||
            read != image[pos]) {
            // A verify the user stopped gives no verdict.
            if (link.panel().StopRequested()) {
                return false;
            }
            ShowMismatch(link.panel(), pos, image[pos], read);
            return false;
        }
        if (!progress.Advance(pos + 1)) {
            return false;
        }
    }
    return true;
}

bool VerifyByBlocks(CLowIO& link, const std::vector<uint8_t>& image, uint32_t first, uint32_t last,
                    LoopProgress& progress) {
    std::vector<uint8_t> readBack(last + 1);
    for (uint32_t pos = first; pos <= last;) {
        const uint32_t count = std::min(last - pos + 1, kReadChunk);
        if (!link.BlockRead(readBack.data() + pos, static_cast<uint16_t>(count),
                            CLowIO::kEepromMemory)) {
            return false;
        }
        pos += count;
        if (!progress.Advance(pos)) {
            return false;
        }
    }
    const auto [chip, file] =
        std::mismatch(readBack.begin() + first, readBack.end(), image.begin() + first);
    if (chip == readBack.end()) {
        return true;
    }
    ShowMismatch(link.panel(), static_cast<uint32_t>(chip - readBack.begin()), *file, *chip);
    return false;
}

}  // namespace

bool WriteEepromRange(CLowIO& link, const std::vector<uint8_t>& image, uint32_t first,
                      uint32_t last) {
    LoopProgress progress = LoopProgress::UpTo(link.panel(), last);
    if (!link.EnterProgMode() || !link.SetAddress(static_cast<uint16_t>(first))) {
        return false;
    }
    const uint32_t blockSize = link.BlockSize();
    for (uint32_t i = first; i <= last;) {
        if (blockSize > 0) {
            const uint32_t count = std::min(blockSize, last - i + 1);
            if (!link.SetAddress(static_cast<uint16_t>(i)) ||
                !link.BlockWrite(static_cast<uint16_t>(count), image.data() + i,
                                 CLowIO::kEepromMemory)) {
                return false;
            }
            i += blockSize;
        } else {
            if (!link.WriteEepromByte(static_cast<uint16_t>(i), image[i], link.AutoIncrement())) {
                return false;
            }
            ++i;
        }
        if (!progress.Advance(i)) {
            return false;
        }
    }
    return link.LeaveProgMode();
}

bool VerifyEepromRange(CLowIO& link, const std::vector<uint8_t>& image, uint32_t first,
                       uint32_t last) {
    LoopProgress progress = LoopProgress::UpTo(link.panel(), last);
    if (!link.EnterProgMode() || !link.SetAddress(static_cast<uint16_t>(first))) {
        return false;
    }
    const bool same = link.BlockSize() > 0
                          ? VerifyByBlocks(link, image, first, last, progress)
                          : VerifyBySingleReads(link, image, first, last, progress);
    return same && link.LeaveProgMode();
}

bool WriteEepromImage(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last) {
    return WriteEepromRange(link, image, 0, last);
}

bool VerifyEepromImage(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last) {
    return VerifyEepromRange(link, image, 0, last);
}

}  // namespace zentaro
