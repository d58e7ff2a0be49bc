// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "config_bits/rights.h"
#include "platform/file.h"

namespace zentaro {

enum class StepResult { Ok, Failed, Skipped, Stopped };

struct ProductionStep {
    std::string name;  // "erase", "flash", "eeprom", "serial", "fuses", "lock"
    StepResult result = StepResult::Ok;
};

// What happened to one chip, as docs/production-record.md describes it.
struct ProductionRecord {
    std::chrono::system_clock::time_point time;  // when the chip was done
    std::string port;
    std::string board;  // the board's identifier
    std::string device;
    // As the chip answered it, in hex separated by blanks ("1E 97 02"); none when not read.
    std::optional<std::string> signature;
    // SHA-256 of each image written, as Sha256Hex gives it.
    std::optional<std::string> flashSha256;
    std::optional<std::string> eepromSha256;
    std::optional<uint64_t> serial;
    ConfigWrite fuses{};  // the bytes written, in kConfigByteOrder
    std::vector<ProductionStep> steps;
    bool ok = false;
    int exit = 0;  // the command line's exit status for this chip
    double seconds = 0;
    std::string message;
};

// The record as one line of JSON, without the line end. Text that is not UTF-8 has each bad
// byte replaced by U+FFFD.
std::string RecordJson(const ProductionRecord& record);

// The SHA-256 digest of bytes in lower-case hex.
std::string Sha256Hex(std::span<const uint8_t> bytes);

// The production record file: one JSON line per chip appended, each on disk before Append
// returns. Lines from several threads or processes never mix: each goes to the file in one
// write on a file opened for appending.
class RecordLog {
public:
    // Nothing, and why in error, when the file cannot be opened or made.
    static std::unique_ptr<RecordLog> Open(const std::string& path, std::string& error);
    RecordLog(const RecordLog&) = delete;
    RecordLog& operator=(const RecordLog&) = delete;

    // Empty when the record is on disk, else why not.
    std::string Append(const ProductionRecord& record);

private:
    RecordLog(PlatformFile file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}

    PlatformFile file_;
    std::string path_;
};

}  // namespace zentaro
