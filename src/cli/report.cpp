// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/report.h"

#include <algorithm>
#include <cstdio>

#include "cli/describe.h"

namespace zentaro::cli {

namespace {

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", seconds);
    return text;
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

std::string JsonObject(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string json;
    for (const auto& [name, value] : members) {
        json += (json.empty() ? "" : ",") + JsonString(name) + ":" + JsonString(value);
    }
    return "{" + json + "}";
}

// The bytes a fuse write sends and the named settings it changes, old and new.
std::string ChangeFields(const ConfigChange& change) {
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
        settingsBefore.emplace_back(setting.name, setting.before);
        settingsAfter.emplace_back(setting.name, setting.after);
    }
    return ",\"before\":{\"bytes\":" + JsonObject(bytesBefore) +
           ",\"settings\":" + JsonObject(settingsBefore) +
           "},\"after\":{\"bytes\":" + JsonObject(bytesAfter) +
           ",\"settings\":" + JsonObject(settingsAfter) + "}";
}

std::string BoardFields(const std::string& command, const BoardResult& result) {
    return "\"command\":" + JsonString(command) + ",\"device\":" + JsonString(result.device) +
           ",\"port\":" + JsonString(result.port) + ",\"bytes\":" + std::to_string(result.bytes) +
           ",\"seconds\":" + Seconds(result.seconds) +
           ",\"ok\":" + (result.exitCode == kExitOk ? "true" : "false") +
           ",\"exit\":" + std::to_string(result.exitCode) +
           ",\"message\":" + JsonString(result.message) +
           (result.change ? ChangeFields(*result.change) : "");
}

}  // namespace

std::string JsonString(const std::string& text) {
    std::string json = "\"";
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (c == '\n') {
            json += "\\n";
        } else if (byte < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", byte);
            json += escape;
        } else {
            json += c;
        }
    }
    return json + "\"";
}

std::string JsonReport(const std::string& command, const std::vector<BoardResult>& results) {
    if (results.size() == 1) {
        std::string json = "{";
        json += BoardFields(command, results.front());
        return json += "}";
    }
    double seconds = 0;
    std::string boards;
    for (const BoardResult& result : results) {
        seconds = std::max(seconds, result.seconds);
        boards += (boards.empty() ? "{" : ",{") + BoardFields(command, result) + "}";
    }
    const int worst = WorstExit(results);
    return "{\"command\":" + JsonString(command) + ",\"seconds\":" + Seconds(seconds) +
           ",\"ok\":" + (worst == kExitOk ? "true" : "false") +
           ",\"exit\":" + std::to_string(worst) + ",\"boards\":[" + boards + "]}";
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
