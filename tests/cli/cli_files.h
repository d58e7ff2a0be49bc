// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zentaro::test {

using Bytes = std::vector<uint8_t>;

// Bytes that differ from their neighbours and from those of another seed.
Bytes Pattern(size_t size, uint8_t seed);
// Intel HEX as a read writes it: a segment record before every 64 KiB, sixteen bytes a line.
std::string ReadHexText(const Bytes& memory);
// A HEX file of the bytes from address 0, sixteen a record.
void WriteHex(const std::string& path, const Bytes& data);
// The values of a flat JSON object: strings unescaped (\n and \" only), other values as typed.
std::map<std::string, std::string> ParseFlatJson(const std::string& text);

}  // namespace zentaro::test
