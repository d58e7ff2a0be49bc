// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/image_format.h"

#include <array>
#include <filesystem>
#include <fstream>
#include <utility>

#include "images/encrypted_image.h"
#include "images/hex_digits.h"
#include "images/text_pieces.h"

namespace zentaro {
namespace {

// How much of the file's start the content test looks at.
constexpr size_t kLookAhead = 4096;

std::string LowerExtension(const std::string& name) {
    std::string extension = std::filesystem::path(name).extension().string();
    for (char& c : extension) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return extension;
}

bool IsHexDigit(const char* c, const char* end) {
    return c < end && HexDigitValue(*c) >= 0;
}

// A record's start and at least one digit of its first field: a raw image whose first byte
// happens to be ':' or 'S' is not taken for text.
ImageFormat TextFormat(const char* start, const char* end) {
    while (start < end && IsTextSpace(*start)) {
        ++start;
    }
    if (start < end && *start == ':' && IsHexDigit(start + 1, end)) {
        return ImageFormat::IntelHex;
    }
    if (start + 1 < end && start[0] == 'S' && start[1] >= '0' && start[1] <= '9' &&
        IsHexDigit(start + 2, end)) {
        return ImageFormat::SRecord;
    }
    return ImageFormat::Unknown;
}

}  // namespace

// The encrypted image's name decides first: its content is cipher text, which may start
// with anything at all.
ImageFormat DetectImageFormat(std::istream& file, const std::string& name) {
    if (IsEncryptedImageName(name)) {
        return ImageFormat::EncryptedImage;
    }
    Rewind(file);
    std::array<char, kLookAhead> start{};
    const auto size = static_cast<size_t>(
        file.rdbuf()->sgetn(start.data(), static_cast<std::streamsize>(start.size())));
    Rewind(file);
    const char* end = start.data() + size;
    if (size >= 4 && start[0] == 0x7F && start[1] == 'E' && start[2] == 'L' && start[3] == 'F') {
        return ImageFormat::Elf;
    }
    const ImageFormat text = TextFormat(start.data(), end);
    if (text != ImageFormat::Unknown) {
        return text;
    }
    return LowerExtension(name) == ".bin" ? ImageFormat::Binary : ImageFormat::Unknown;
}

ImageFormat DetectImageFormat(const std::string& path) {
    // Opening a pipe would wait for a writer, and a folder reads as an empty file.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return ImageFormat::Unknown;
    }
    std::ifstream file(path, std::ios::binary);
    return file ? DetectImageFormat(file, path) : ImageFormat::Unknown;
}

std::optional<ImageFormat> ParseImageFormat(std::string_view value) {
    constexpr std::pair<std::string_view, ImageFormat> kNames[] = {{"hex", ImageFormat::IntelHex},
                                                                   {"srec", ImageFormat::SRecord},
                                                                   {"bin", ImageFormat::Binary},
                                                                   {"elf", ImageFormat::Elf}};
    for (const auto& [name, format] : kNames) {
        if (value == name) {
            return format;
        }
    }
    return std::nullopt;
}

ImageFormat FormatForOutputName(const std::string& name) {
    const std::string extension = LowerExtension(name);
    for (const char* srec : {".srec", ".s19", ".s28", ".s37", ".mot"}) {
        if (extension == srec) {
            return ImageFormat::SRecord;
        }
    }
    return extension == ".bin" ? ImageFormat::Binary : ImageFormat::IntelHex;
}

}  // namespace zentaro
