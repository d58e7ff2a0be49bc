// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace zentaro {

// The program's UTF-8 texts as the wide-character calls of Windows take them, and back.
std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// The system's message for an error code, in UTF-8, without the line break it ends with.
std::string SystemMessage(unsigned long code);

}  // namespace zentaro
