// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/describe.h"

#include <cstdio>

namespace zentaro::cli {

namespace {

std::string Hex(uint8_t value) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", value);
    return text;
}

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
    text += Hex(value);
    return text;
}

}  // namespace

std::vector<std::string> DescribeBoard(Session& session) {
    CLowIO& link = session.Link();
    const BoardListing& listing = session.Listing();
    std::vector<std::string> lines;
    lines.push_back("Port:       " + link.PortName() + " at " + std::to_string(link.BaudRate()) +
                    " baud");
    lines.push_back("Identifier: " + link.SoftwareIdentifier());
    char major = 0;
    char minor = 0;
    if (link.ReadSoftwareVersion(major, minor)) {
        lines.push_back(std::string("Version:    ") + major + "." + minor);
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
    lines.push_back("Block size: " + (link.BlockSize() == 0 ? std::string("no block transfers")
                                                            : std::to_string(link.BlockSize())));
    lines.push_back("Devices:    " + std::to_string(listing.devices.size()) + " offered");
    return lines;
}

std::vector<std::string> DescribeIdentity(const AdvancedOptions& options,
                                          const std::string& device) {
    const AdvancedState& state = options.State();
    return {"Device:      " + device, "Signature:   " + state.signature,
            "Calibration: " + (state.calibration.empty() ? "-" : state.calibration),
            "Identifier:  " + state.identifier, "Version:     " + state.version};
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
        std::snprintf(
            line, sizeof line, "%-9s %s  %s %s", ConfigByteName(kConfigByteOrder[i]),
            report.read && rights.readable ? Hex(report.bytes[kConfigByteOrder[i]]).c_str() : "--",
            rights.readable ? "read" : "no read", rights.writable ? "write" : "no write");
        lines.push_back(line);
    }
    if (!report.read) {
        lines.push_back("This programmer type may not read the bytes of this device.");
    }
    for (const ConfigSetting& setting : report.settings) {
        lines.push_back(setting.name + ": " + setting.value);
    }
    return lines;
}

}  // namespace zentaro::cli
