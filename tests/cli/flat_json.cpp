// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/flat_json.h"

#include <nlohmann/json.hpp>

namespace zentaro::test {

std::map<std::string, std::string> ParseFlatJson(const std::string& text) {
    std::map<std::string, std::string> fields;
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (!json.is_object()) {
        return fields;
    }
    for (const auto& [name, value] : json.items()) {
        fields[name] = value.is_string() ? value.get<std::string>() : value.dump();
    }
    return fields;
}

}  // namespace zentaro::test
