// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

namespace zentaro::test {

// The members of a JSON object: strings as their text, other values as JSON. Empty when the
// text is no JSON object.
std::map<std::string, std::string> ParseFlatJson(const std::string& text);

}  // namespace zentaro::test
