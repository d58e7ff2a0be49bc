// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/read_loops.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "operations/loop_progress.h"

namespace zentaro {

namespace {

constexpr uint32_t kRecordBytes = 16;
constexpr uint32_t kReadChunk = 256;

using Record = std::array<uint8_t, kRecordBytes>;
// Fills one record with the chip's bytes from byte address record * 16 on.
using RecordReader = std::function<bool(uint32_t record, Record& bytes)>;

// A short last chunk reaches one byte past the end of the memory, as boards have always been
// asked for it; that byte is not kept.
bool ReadByBlocks(CLowIO& link, std::vector<uint8_t>& memory, uint32_t size, uint8_t memoryType,
                  LoopProgress& progress) {
    memory.resize(size + 1);
    for (uint32_t done = 0; done < size; done += kReadChunk) {
        const uint32_t count = std::min(size - done + 1, kReadChunk);
        if (!link.wire().BlockRead(memory.data() + done, static_cast<uint16_t>(count),
                                   memoryType)) {
            return false;
        }
        if (!progress.Advance((done + kReadChunk) / kRecordBytes)) {
            return false;
        }
    }
    memory.resize(size);
    progress.BackToStart();
    return true;
}

bool ReadByRecords(std::vector<uint8_t>& memory, uint32_t size, const RecordReader& readRecord,
                   LoopProgress& progress) {
    memory.assign(size / kRecordBytes * kRecordBytes, 0xFF);
    Record bytes{};
    for (uint32_t r = 0; r < size / kRecordBytes; ++r) {
        if (!readRecord(r, bytes)) {
            return false;
        }
        std::copy(bytes.begin(), bytes.end(), memory.begin() + r * kRecordBytes);
        if (!progress.Advance(r)) {
            return false;
        }
    }
    return true;
}

bool ReadMemory(CLowIO& link, Panel& panel, std::vector<uint8_t>& memory, uint32_t size,
                uint8_t memoryType, const RecordReader& readRecord) {
    LoopProgress progress(panel, size / kRecordBytes);
    if (!link.EnterProgMode() || !link.wire().SetAddress(0)) {
        return false;
    }
    const bool read = link.BlockSize() > 0 ? ReadByBlocks(link, memory, size, memoryType, progress)
                                           : ReadByRecords(memory, size, readRecord, progress);
    return read && link.LeaveProgMode();
}

}  // namespace

bool ReadFlashMemory(CLowIO& link, Panel& panel, std::vector<uint8_t>& memory) {
    const bool autoIncrement = link.AutoIncrement();
    const RecordReader readWords = [&](uint32_t r, Record& bytes) {
        // Eight program-memory words, each stored low byte first.
        for (uint32_t k = 0; k < kRecordBytes / 2; ++k) {
            uint16_t word = 0;
            if (!link.ReadProgramWord(static_cast<uint16_t>(8 * r + k), word, autoIncrement)) {
                return false;
            }
            bytes[2 * k] = static_cast<uint8_t>(word & 0xFF);
            bytes[2 * k + 1] = static_cast<uint8_t>(word >> 8);
        }
        return true;
    };
    const RecordReader readBytes = [&](uint32_t r, Record& bytes) {
        for (uint32_t k = 0; k < kRecordBytes; ++k) {
            uint16_t value = 0;
            if (!link.ReadProgramWord(static_cast<uint16_t>(16 * r + k), value, autoIncrement)) {
                return false;
            }
            bytes[k] = static_cast<uint8_t>(value);
        }
        return true;
    };
    return ReadMemory(link, panel, memory, link.FlashSize(), BoardProtocol::kFlashMemory,
                      link.WordWide() ? readWords : readBytes);
}

bool ReadEepromMemory(CLowIO& link, Panel& panel, std::vector<uint8_t>& memory) {
    const RecordReader readBytes = [&link](uint32_t r, Record& bytes) {
        for (uint32_t k = 0; k < kRecordBytes; ++k) {
            if (!link.wire().ReadEepromByte(static_cast<uint16_t>(16 * r + k), bytes[k],
                                            link.AutoIncrement())) {
                return false;
            }
        }
        return true;
    };
    return ReadMemory(link, panel, memory, link.EepromSize(), BoardProtocol::kEepromMemory,
                      readBytes);
}

}  // namespace zentaro
