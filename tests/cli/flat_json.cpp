// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/flat_json.h"

namespace zentaro::test {

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

}  // namespace zentaro::test
