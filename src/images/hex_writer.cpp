// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_writer.h"

#include <algorithm>

#include "images/atomic_file.h"
#include "images/hex_digits.h"

namespace zentaro {
namespace {

// The segment record reaches 1 MiB: segment 0xFFFF times 16 plus a 16-bit offset.
constexpr uint32_t kMaxHexSpan = 0x100000;
constexpr uint32_t kGroupSize = 16;
constexpr uint32_t kSegmentSpan = 0x10000;
// ':', count, address, type, the segment or sixteen bytes, and the checksum.
constexpr size_t kSegmentRecordLength = 1 + 2 * (1 + 2 + 1 + 2 + 1);
constexpr size_t kDataRecordLength = 1 + 2 * (1 + 2 + 1 + kGroupSize + 1);
constexpr char kEndRecord[] = ":00000001FF";

uint32_t Checksum(uint32_t sum) {
    return (0x100 - (sum & 0xFF)) & 0xFF;
}

class FileHexOutput final : public HexOutput {
public:
    explicit FileHexOutput(AtomicFile& file) : file_(file) {}
    explicit FileHexOutput(std::unique_ptr<AtomicFile> file)
        : owned_(std::move(file)), file_(*owned_) {}

    bool WriteSegmentRecord(uint32_t byteAddress) override {
        line_.clear();
        AppendSegmentRecord(line_, byteAddress);
        return WriteLine();
    }
    bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) override {
        line_.clear();
        AppendDataRecord(line_, byteAddress, bytes);
        return WriteLine();
    }
    bool WriteEndRecord() override {
        line_ = kEndRecord;
        return WriteLine();
    }
    bool Commit() override { return file_.Commit(); }

private:
    bool WriteLine() {
        line_.push_back('\n');
        return file_.Write(line_);
    }

    std::unique_ptr<AtomicFile> owned_;
    AtomicFile& file_;
    // Reused for every line: a large memory is tens of thousands of records.
    std::string line_;
};

}  // namespace

void AppendSegmentRecord(std::string& text, uint32_t byteAddress) {
    const uint32_t segment = (byteAddress >> 4) & 0xFFFF;
    const size_t at = text.size();
    text.resize(at + kSegmentRecordLength);
    char* out = text.data() + at;
    out = std::copy_n(":02000002", 9, out);
    out = PutHexByte(out, segment >> 8);
    out = PutHexByte(out, segment & 0xFF);
    PutHexByte(out, Checksum(0x02 + 0x02 + (segment >> 8) + (segment & 0xFF)));
}

// Sized once and filled through a pointer: this runs for every 16 bytes of the memory.
void AppendDataRecord(std::string& text, uint32_t byteAddress, const uint8_t bytes[16]) {
    const uint32_t address = byteAddress & 0xFFFF;
    const size_t at = text.size();
    text.resize(at + kDataRecordLength);
    char* out = text.data() + at;
    out = std::copy_n(":10", 3, out);
    out = PutHexByte(out, address >> 8);
    out = PutHexByte(out, address & 0xFF);
    out = std::copy_n("00", 2, out);
    uint32_t sum = kGroupSize + (address >> 8) + (address & 0xFF);
    for (uint32_t i = 0; i < kGroupSize; ++i) {
        out = PutHexByte(out, bytes[i]);
        sum += bytes[i];
    }
    PutHexByte(out, Checksum(sum));
}

std::string FormatSegmentRecord(uint32_t byteAddress) {
    std::string line;
    AppendSegmentRecord(line, byteAddress);
    return line;
}

std::string FormatDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) {
    std::string line;
    AppendDataRecord(line, byteAddress, bytes);
    return line;
}

std::unique_ptr<HexOutput> CreateHexOutput(std::unique_ptr<AtomicFile> file) {
    return file ? std::make_unique<FileHexOutput>(std::move(file)) : nullptr;
}

bool WriteHexImage(AtomicFile& file, const uint8_t* memory, uint32_t size) {
    FileHexOutput output(file);
    return WriteHexRecords(output, memory, size) && output.WriteEndRecord();
}

bool WriteHexGroup(HexOutput& output, uint32_t byteAddress, const uint8_t bytes[16]) {
    if (byteAddress % kSegmentSpan == 0 && !output.WriteSegmentRecord(byteAddress)) {
        return false;
    }
    return output.WriteDataRecord(byteAddress, bytes);
}

// Span by span, so that the record loop asks nothing but where the span ends: it runs for
// every 16 bytes of the memory.
bool WriteHexRecords(HexOutput& output, const uint8_t* memory, uint32_t size) {
    if (size > kMaxHexSpan) {
        return false;
    }
    const uint32_t end = size / kGroupSize * kGroupSize;
    for (uint32_t span = 0; span < end; span += kSegmentSpan) {
        if (!output.WriteSegmentRecord(span)) {
            return false;
        }
        const uint32_t spanEnd = std::min(end, span + kSegmentSpan);
        for (uint32_t address = span; address < spanEnd; address += kGroupSize) {
            if (!output.WriteDataRecord(address, memory + address)) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace zentaro
