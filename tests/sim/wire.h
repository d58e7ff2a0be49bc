// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/device_table.h"
#include "sim/board.h"
#include "sim/options.h"

namespace zentaro::sim::test {

// Wire bytes written readably: space-separated tokens, each either two hex digits or a
// quote followed by literal characters. Wire("'A 00 10 'R") is 41 00 10 52.
inline std::string Wire(std::string_view text) {
    std::string bytes;
    while (!text.empty()) {
        const size_t space = text.find(' ');
        const std::string_view token = text.substr(0, space);
        if (!token.empty() && token[0] == '\'') {
            bytes.append(token.substr(1));
        } else if (!token.empty()) {
            bytes.push_back(static_cast<char>(std::stoi(std::string(token), nullptr, 16)));
        }
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
    }
    return bytes;
}

inline std::string Hex(const std::string& bytes) {
    std::string text;
    char buffer[4];
    for (const char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%s%02X", text.empty() ? "" : " ",
                      static_cast<unsigned char>(c));
        text += buffer;
    }
    return text;
}

inline Board MakeBoard(const std::vector<std::string>& args) {
    const ParsedOptions parsed = ParseOptions(args);
    if (!parsed.error.empty()) {
        throw std::invalid_argument(parsed.error);
    }
    return Board(parsed.options, Chip(FindDeviceByName(parsed.options.chip)));
}

// Feeds wire bytes (Wire syntax) and returns every reply byte in hex.
inline std::string Exchange(Board& board, std::string_view text) {
    return Hex(board.FeedText(Wire(text)));
}

}  // namespace zentaro::sim::test
