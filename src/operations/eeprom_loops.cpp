// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/eeprom_loops.h"

#include <algorithm>

#include "operations/loop_progress.h"
#include "operations/mismatch_message.h"

namespace zentaro {

namespace {

constexpr uint32_t kReadChunk = 256;

bool VerifyBySingleReads(CLowIO& link, const std::vector<uint8_t>& image, uint32_t first,
                         uint32_t last, LoopProgress& progress) {
    for (uint32_t pos = first; pos <= last; ++pos) {
        uint8_t read = 0;
        if (!link.wire().ReadEepromByte(static_cast<uint16_t>(pos), read, link.AutoIncrement()) ||
            read != image[pos]) {
            // A verify the user stopped gives no verdict.
            if (progress.StopRequested()) {
                return false;
            }
            progress.ShowMismatch(ByteMismatch(pos, image[pos], read));
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
        if (!link.wire().BlockRead(readBack.data() + pos, static_cast<uint16_t>(count),
                                   BoardProtocol::kEepromMemory)) {
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
    progress.ShowMismatch(
        ByteMismatch(static_cast<uint32_t>(chip - readBack.begin()), *file, *chip));
    return false;
}

}  // namespace

bool WriteEepromRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image, uint32_t first,
                      uint32_t last) {
    LoopProgress progress = LoopProgress::UpTo(panel, last);
    if (!link.EnterProgMode() || !link.wire().SetAddress(static_cast<uint16_t>(first))) {
        return false;
    }
    const uint32_t blockSize = link.BlockSize();
    for (uint32_t i = first; i <= last;) {
        if (blockSize > 0) {
            const uint32_t count = std::min(blockSize, last - i + 1);
            if (!link.wire().SetAddress(static_cast<uint16_t>(i)) ||
                !link.wire().BlockWrite(static_cast<uint16_t>(count), image.data() + i,
                                        BoardProtocol::kEepromMemory)) {
                return false;
            }
            i += blockSize;
        } else {
            if (!link.wire().WriteEepromByte(static_cast<uint16_t>(i), image[i],
                                             link.AutoIncrement())) {
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

bool VerifyEepromRange(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                       uint32_t first, uint32_t last) {
    LoopProgress progress = LoopProgress::UpTo(panel, last);
    if (!link.EnterProgMode() || !link.wire().SetAddress(static_cast<uint16_t>(first))) {
        return false;
    }
    const bool same = link.BlockSize() > 0
                          ? VerifyByBlocks(link, image, first, last, progress)
                          : VerifyBySingleReads(link, image, first, last, progress);
    return same && link.LeaveProgMode();
}

bool WriteEepromImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                      uint32_t last) {
    return WriteEepromRange(link, panel, image, 0, last);
}

bool VerifyEepromImage(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                       uint32_t last) {
    return VerifyEepromRange(link, panel, image, 0, last);
}

}  // namespace zentaro
