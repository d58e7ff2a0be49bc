// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "images/atomic_file.h"

namespace zentaro {

// The two records below appended to text, for writers that gather many lines.
void AppendSegmentRecord(std::string& text, uint32_t byteAddress);
void AppendDataRecord(std::string& text, uint32_t byteAddress, const uint8_t bytes[16]);
// ":02000002SSSSCC" for the 64 KiB boundary at byteAddress (below 1 MiB), without line end.
std::string FormatSegmentRecord(uint32_t byteAddress);
// ":10AAAA00" + 32 digits + checksum for the 16 bytes at byteAddress, without line end.
std::string FormatDataRecord(uint32_t byteAddress, const uint8_t bytes[16]);

// An Intel HEX output that never leaves a half-written file where the user's file was:
// the lines go to a temporary file beside the target, and Commit() puts it in place.
// Destroying an uncommitted output removes the temporary file and leaves the target as it was.
class HexOutput {
public:
    virtual ~HexOutput() = default;
    [[nodiscard]] virtual bool WriteSegmentRecord(uint32_t byteAddress) = 0;
    [[nodiscard]] virtual bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) = 0;
    [[nodiscard]] virtual bool WriteEndRecord() = 0;
    // Flushes, closes and renames the temporary file onto the target.
    [[nodiscard]] virtual bool Commit() = 0;
};

// The records go to file; nothing when there is no file.
std::unique_ptr<HexOutput> CreateHexOutput(std::unique_ptr<AtomicFile> file);

// The size bytes of memory as WriteHexRecords writes them, then the end record.
[[nodiscard]] bool WriteHexImage(AtomicFile& file, const uint8_t* memory, uint32_t size);

// Writes the 16 bytes at byteAddress as a data record, preceded by the segment record when
// byteAddress starts a 64 KiB span (address 0 included).
[[nodiscard]] bool WriteHexGroup(HexOutput& output, uint32_t byteAddress, const uint8_t bytes[16]);

// Writes size bytes of memory as records: a segment record before every 64 KiB boundary
// from address 0, then one data record per 16 bytes (a memory shorter than 16 bytes gives
// none). No end record. False when a write fails or size exceeds the 1 MiB that segment
// records can address.
[[nodiscard]] bool WriteHexRecords(HexOutput& output, const uint8_t* memory, uint32_t size);

}  // namespace zentaro
