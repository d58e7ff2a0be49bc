// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/production_record.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <nlohmann/json.hpp>

#include "platform/console.h"
#include "platform/sha256.h"

namespace zentaro {

namespace {

constexpr int kSchema = 1;

const char* StepResultName(StepResult result) {
    switch (result) {
        case StepResult::Ok:
            return "ok";
        case StepResult::Failed:
            return "failed";
        case StepResult::Skipped:
            return "skipped";
        case StepResult::Stopped:
            return "stopped";
    }
    return "";
}

std::string HexByte(uint8_t byte) {
    char text[3];
    std::snprintf(text, sizeof text, "%02X", byte);
    return text;
}

std::string UtcTime(std::chrono::system_clock::time_point time) {
    const std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    const std::tm utc = ToUtc(seconds);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

}  // namespace

std::string Sha256Hex(std::span<const uint8_t> bytes) {
    std::string hex;
    for (const uint8_t byte : Sha256(bytes)) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    return hex;
}

std::string RecordJson(const ProductionRecord& record) {
    // Keys in the order the documentation lists them, for a reader of the raw file.
    nlohmann::ordered_json json;
    json["schema"] = kSchema;
    json["time"] = UtcTime(record.time);
    json["port"] = record.port;
    json["board"] = record.board;
    json["device"] = record.device;
    if (record.signature) {
        json["signature"] = *record.signature;
    } else {
        json["signature"] = nullptr;
    }
    json["sha256"] = nlohmann::ordered_json::object();
    if (record.flashSha256) {
        json["sha256"]["flash"] = *record.flashSha256;
    }
    if (record.eepromSha256) {
        json["sha256"]["eeprom"] = *record.eepromSha256;
    }
    json["serial"] = record.serial ? nlohmann::ordered_json(*record.serial) : nullptr;
    json["fuses"] = nlohmann::ordered_json::object();
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        if (record.fuses[i]) {
            json["fuses"][ConfigByteName(kConfigByteOrder[i])] = HexByte(*record.fuses[i]);
        }
    }
    json["steps"] = nlohmann::ordered_json::array();
    for (const ProductionStep& step : record.steps) {
        json["steps"].push_back({{"name", step.name}, {"result", StepResultName(step.result)}});
    }
    json["ok"] = record.ok;
    json["exit"] = record.exit;
    // Milliseconds are as fine as the board's pace allows telling apart.
    json["seconds"] = std::round(record.seconds * 1000.0) / 1000.0;
    json["message"] = record.message;
    return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::unique_ptr<RecordLog> RecordLog::Open(const std::string& path, std::string& error) {
    const bool existed = std::filesystem::exists(path);
    PlatformFile file = PlatformFile::Open(path, FileAccess::Append);
    if (!file.IsOpen()) {
        error = "cannot open " + path + " (" + file.Error() + ")";
        return nullptr;
    }
    if (!existed) {
        // A new file's name must survive a power cut as well as its lines.
        SyncFolder(std::filesystem::path(path).parent_path().string());
    }
    return std::unique_ptr<RecordLog>(new RecordLog(std::move(file), path));
}

std::string RecordLog::Append(const ProductionRecord& record) {
    const std::string line = RecordJson(record) + "\n";
    // A second write for the rest could land after another thread's line.
    if (!file_.WriteAll(line.data(), line.size()) || !file_.Sync()) {
        return "cannot write to " + path_ + " (" + file_.Error() + ")";
    }
    return {};
}

}  // namespace zentaro
