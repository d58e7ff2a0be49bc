// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/describe.h"

#include <cstdio>
#include <variant>

namespace zentaro::cli {

namespace {

std::string Joined(const std::vector<std::string>& words, const char* separator) {
    std::string text;
    for (const std::string& word : words) {
        if (!text.empty()) {
            text += separator;
        }
        text += word;
    }
    return text;
}

std::string NamedByte(ConfigByte which, uint8_t value) {
    std::string text = ConfigByteName(which);
    text += '=';
    text += HexByte(value);
    return text;
}

}  // namespace

std::string SettingText(const SettingValue& value) {
    if (const bool* ticked = std::get_if<bool>(&value)) {
        return *ticked ? "[x]" : "[ ]";
    }
    return std::get<std::string>(value);
}

std::string HexByte(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

std::string ByteBefore(const ConfigChange& change, size_t index) {
    return change.known[index] ? HexByte(change.before[kConfigByteOrder[index]]) : "??";
}

std::vector<std::string> DescribeBoard(const BoardFacts& board, const BoardListing& listing) {
    std::vector<std::string> lines;
    lines.push_back("Port:       " + board.port + " at " + std::to_string(board.baudRate) +
                    " baud");
    lines.push_back("Identifier: " + board.identifier);
    if (board.version) {
        lines.push_back("Version:    " + *board.version);
    }
    if (listing.listType) {
        lines.push_back("Board:      lists its devices (" + std::to_string(listing.reportedCodes) +
                        " codes)");
    } else {
        lines.push_back("Board:      level " + std::to_string(listing.programmerLevel) +
                        ", programmer types: " +
                        (listing.programmerTypes.empty() ? "none reported"
                                                         : Joined(listing.programmerTypes, ", ")));
    }
    lines.push_back("Block size: " + (board.blockSize == 0 ? std::string("no block transfers")
                                                           : std::to_string(board.blockSize)));
    lines.push_back("Devices:    " + std::to_string(listing.devices.size()) + " offered");
    return lines;
}

std::vector<std::string> DescribeIdentity(const ChipInfo& info, const std::string& device) {
    return {"Device:      " + device, "Signature:   " + info.signature,
            "Calibration: " + (info.calibration.empty() ? "-" : info.calibration),
            "Identifier:  " + info.identifier, "Version:     " + info.version};
}

std::vector<std::string> DescribeChange(const ConfigChange& change) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        if (!change.write[i]) {
            continue;
        }
        const ConfigByte which = kConfigByteOrder[i];
        lines.push_back(std::string("Byte ") + ConfigByteName(which) + ": " +
                        ByteBefore(change, i) + " -> " + HexByte(*change.write[i]));
    }
    for (const SettingChange& setting : change.settings) {
        lines.push_back(setting.name + ": " + SettingText(setting.before) + " -> " +
                        SettingText(setting.after));
    }
    return lines;
}

std::string DescribeBytes(const ConfigReport& report) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        if (report.rights[i].readable) {
            parts.push_back(NamedByte(kConfigByteOrder[i], report.bytes[kConfigByteOrder[i]]));
        }
    }
    return Joined(parts, " ");
}

std::string DescribeWrite(const ConfigWrite& request) {
    std::vector<std::string> parts;
    for (size_t i = 0; i < request.size(); ++i) {
        if (request[i]) {
            parts.push_back(NamedByte(kConfigByteOrder[i], *request[i]));
        }
    }
    return Joined(parts, " ");
}

std::vector<std::string> DescribeConfigReport(const ConfigReport& report) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        const ConfigByteRights& rights = report.rights[i];
        if (!rights.present) {
            continue;
        }
        char line[96];
        std::snprintf(line, sizeof line, "%-9s %s  %s %s", ConfigByteName(kConfigByteOrder[i]),
                      report.read && rights.readable
                          ? HexByte(report.bytes[kConfigByteOrder[i]]).c_str()
                          : "--",
                      rights.readable ? "read" : "no read", rights.writable ? "write" : "no write");
        lines.push_back(line);
    }
    if (!report.read) {
        lines.push_back("This programmer type may not read the bytes of this device.");
    }
    for (const ConfigSetting& setting : report.settings) {
        lines.push_back(setting.name + ": " + SettingText(setting.value));
    }
    return lines;
}

}  // namespace zentaro::cli
