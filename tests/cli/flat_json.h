// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <map>
#include <string>

namespace zentaro::test {

// The values of a flat JSON object: strings unescaped (\n and \" only), other values as typed.
std::map<std::string, std::string> ParseFlatJson(const std::string& text);

}  // namespace zentaro::test
