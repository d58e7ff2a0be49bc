// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <istream>
#include <optional>
#include <string>
#include <string_view>

namespace zentaro {

enum class ImageFormat { IntelHex, SRecord, Binary, Elf, EncryptedImage, Unknown };

// The chip memory a file is loaded for: only an ELF file carries more than one.
enum class ImageMemory { Flash, Eeprom };

// The format of an image file by its content, then by its name (the path's last component):
// a name with ".ebn" (as IsEncryptedImageName has it) is an encrypted image whatever it
// holds; the ELF magic is ELF; a first non-blank line starting with 'S', a digit and a hex
// digit is S-records, one starting with ':' and a hex digit Intel HEX; otherwise a ".bin"
// name (any case) is a raw image, and anything else Unknown. Rewinds the stream before and
// after.
ImageFormat DetectImageFormat(std::istream& file, const std::string& name);
// The same for the file at path; Unknown when it is no plain file or cannot be read.
ImageFormat DetectImageFormat(const std::string& path);

// The value of a format override: "hex", "srec", "bin" or "elf"; nothing for any other.
std::optional<ImageFormat> ParseImageFormat(std::string_view value);

// The format a chip's memory is written in for this output name, by its extension (any
// case): S-records for .srec, .s19, .s28, .s37 and .mot, raw for .bin, Intel HEX otherwise.
ImageFormat FormatForOutputName(const std::string& name);

}  // namespace zentaro
