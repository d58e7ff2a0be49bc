// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_files.h"

#include <algorithm>
#include <cstdio>
#include <fstream>

namespace zentaro::test {

namespace {

std::string Record(uint8_t type, uint16_t address, const Bytes& data) {
    Bytes record = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                    static_cast<uint8_t>(address), type};
    record.insert(record.end(), data.begin(), data.end());
    uint8_t sum = 0;
    std::string line = ":";
    char digits[3];
    for (uint8_t b : record) {
        std::snprintf(digits, sizeof digits, "%02X", b);
        line += digits;
        sum = static_cast<uint8_t>(sum + b);
    }
    std::snprintf(digits, sizeof digits, "%02X", static_cast<uint8_t>(-sum));
    return line + digits + "\n";
}

}  // namespace

std::string ReadHexText(const Bytes& memory) {
    std::string text;
    for (size_t a = 0; a < memory.size(); a += 16) {
        if (a % 0x10000 == 0) {
            text += Record(2, 0, {static_cast<uint8_t>(a >> 12), 0});
        }
        text += Record(0, static_cast<uint16_t>(a),
                       Bytes(memory.begin() + static_cast<long>(a),
                             memory.begin() + static_cast<long>(a + 16)));
    }
    return text + ":00000001FF\n";
}

Bytes Pattern(size_t size, uint8_t seed) {
    Bytes bytes(size);
    for (size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<uint8_t>(seed + i * 7 + (i >> 3));
    }
    return bytes;
}

std::map<std::string, std::string> ParseFlatJson(const std::string& text) {
    std::map<std::string, std::string> fields;
    size_t i = text.find('{');
    auto readString = [&](size_t& at) {
        std::string value;
        for (++at; at < text.size() && text[at] != '"'; ++at) {
            if (text[at] == '\\') {
                ++at;
                value += text[at] == 'n' ? '\n' : text[at];
            } else {
                value += text[at];
            }
        }
        ++at;
        return value;
    };
    while (i != std::string::npos && i < text.size() && text[i] != '}') {
        i = text.find('"', i);
        if (i == std::string::npos) {
            break;
        }
        const std::string key = readString(i);
        i = text.find_first_not_of(" :", i);
        if (text[i] == '"') {
            fields[key] = readString(i);
        } else {
            const size_t end = text.find_first_of(",}", i);
            fields[key] = text.substr(i, end - i);
            i = end;
        }
        i = text.find_first_of(",}", i);
    }
    return fields;
}

void WriteHex(const std::string& path, const Bytes& data) {
    std::string text;
    for (size_t a = 0; a < data.size(); a += 16) {
        text += Record(0, static_cast<uint16_t>(a),
                       Bytes(data.begin() + static_cast<long>(a),
                             data.begin() + static_cast<long>(std::min(a + 16, data.size()))));
    }
    std::ofstream(path) << text << ":00000001FF\n";
}

}  // namespace zentaro::test
