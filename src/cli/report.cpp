// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <utility>

#include "cli/describe.h"

namespace zentaro::cli {

namespace {

// Members keep the order they are added in.
using Json = nlohmann::ordered_json;

// To the millisecond: finer digits would be noise.
double Seconds(double seconds) {
    return std::round(seconds * 1000) / 1000;
}

const char* ResultWord(int exitCode) {
    switch (exitCode) {
        case kExitOk:
            return "ok";
        case kExitUsage:
            return "usage";
        case kExitNoBoard:
            return "no board";
        case kExitFile:
            return "file error";
        default:
            return "failed";
    }
}

Json JsonObject(const std::vector<std::pair<std::string, std::string>>& members) {
    Json object = Json::object();
    for (const auto& [name, value] : members) {
        object[name] = value;
    }
    return object;
}

// The bytes a fuse write sends and the named settings it changes, old and new.
void AddChange(const ConfigChange& change, Json& board) {
    std::vector<std::pair<std::string, std::string>> bytesBefore;
    std::vector<std::pair<std::string, std::string>> bytesAfter;
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        if (const auto value = change.write[i]) {
            const ConfigByte which = kConfigByteOrder[i];
            bytesBefore.emplace_back(ConfigByteName(which), ByteBefore(change, i));
            bytesAfter.emplace_back(ConfigByteName(which), HexByte(*value));
        }
    }
    std::vector<std::pair<std::string, std::string>> settingsBefore;
    std::vector<std::pair<std::string, std::string>> settingsAfter;
    for (const SettingChange& setting : change.settings) {
        settingsBefore.emplace_back(setting.name, SettingText(setting.before));
        settingsAfter.emplace_back(setting.name, SettingText(setting.after));
    }
    board["before"] = {{"bytes", JsonObject(bytesBefore)},
                       {"settings", JsonObject(settingsBefore)}};
    board["after"] = {{"bytes", JsonObject(bytesAfter)}, {"settings", JsonObject(settingsAfter)}};
}

Json BoardFields(const std::string& command, const BoardResult& result) {
    Json board = {{"command", command},
                  {"device", result.device},
                  {"port", result.port},
                  {"bytes", result.bytes},
                  {"seconds", Seconds(result.seconds)},
                  {"ok", result.exitCode == kExitOk},
                  {"exit", result.exitCode},
                  {"message", result.message}};
    if (result.change) {
        AddChange(*result.change, board);
    }
    return board;
}

}  // namespace

std::string JsonReport(const std::string& command, const std::vector<BoardResult>& results) {
    Json report;
    if (results.size() == 1) {
        report = BoardFields(command, results.front());
    } else {
        double seconds = 0;
        Json boards = Json::array();
        for (const BoardResult& result : results) {
            seconds = std::max(seconds, result.seconds);
            boards.push_back(BoardFields(command, result));
        }
        const int worst = WorstExit(results);
        report = {{"command", command},
                  {"seconds", Seconds(seconds)},
                  {"ok", worst == kExitOk},
                  {"exit", worst},
                  {"boards", std::move(boards)}};
    }
    // The board's texts, a port's path or a device name may hold bytes that are not UTF-8:
    // they become U+FFFD, so that the output is JSON a reader accepts.
    return report.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::vector<std::string> SummaryTable(const std::vector<BoardResult>& results) {
    size_t width = 4;
    for (const BoardResult& result : results) {
        width = std::max(width, result.port.size());
    }
    std::vector<std::string> lines;
    char line[256];
    std::snprintf(line, sizeof line, "%-*s  %-10s  %8s", static_cast<int>(width), "PORT", "RESULT",
                  "SECONDS");
    lines.push_back(line);
    for (const BoardResult& result : results) {
        std::snprintf(line, sizeof line, "%-*s  %-10s  %8.2f", static_cast<int>(width),
                      result.port.c_str(), ResultWord(result.exitCode), result.seconds);
        lines.push_back(line);
    }
    return lines;
}

int WorstExit(const std::vector<BoardResult>& results) {
    int worst = kExitOk;
    for (const BoardResult& result : results) {
        worst = std::max(worst, result.exitCode);
    }
    return worst;
}

}  // namespace zentaro::cli
