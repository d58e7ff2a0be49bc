// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/image_file.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "images/binary_image.h"
#include "images/elf_reader.h"
#include "images/hex_reader.h"
#include "images/hex_writer.h"
#include "images/srecord_reader.h"
#include "images/srecord_writer.h"

namespace zentaro {

const char kReadableFormats[] = "Intel HEX, S-record, ELF or raw binary (.bin)";

namespace {

using Result = ImageFileLoad::Result;

std::string AtLine(size_t line, const char* what) {
    return "line " + std::to_string(line) + ": " + what;
}

// Only a file that is what it claims to be replaces what the image held.
void Clear(std::vector<uint8_t>& image, ImageLoadState& state) {
    std::fill(image.begin(), image.end(), 0xFF);
    state = ImageLoadState{};
}

void LoadHex(std::istream& file, std::vector<uint8_t>& image, ImageLoadState& state,
             ImageFileLoad& load) {
    if (const size_t line = FirstNonHexLine(file); line != 0) {
        load.result = Result::NotThisFormat;
        load.reason = AtLine(line, "not an Intel HEX record");
        return;
    }
    Clear(image, state);
    load.checksumsMatch = LoadHexImage(file, image, state);
}

void LoadSRecords(std::istream& file, std::vector<uint8_t>& image, ImageLoadState& state,
                  ImageFileLoad& load) {
    Clear(image, state);
    const SRecordLoad records = LoadSRecordImage(file, image, state);
    load.checksumsMatch = records.checksumsMatch;
    if (records.malformedLine != 0) {
        load.result = Result::NotThisFormat;
        load.reason = AtLine(records.malformedLine, "not an S-record");
    }
}

void LoadElf(std::istream& file, ImageMemory memory, std::vector<uint8_t>& image,
             ImageLoadState& state, ImageFileLoad& load) {
    const ElfContents contents = ReadElf(file);
    if (!contents.error.empty()) {
        load.result = Result::NotThisFormat;
        load.reason = contents.error;
        return;
    }
    Clear(image, state);
    if (!LoadElfMemory(contents, memory, image, state)) {
        load.result = Result::NothingForMemory;
        load.reason = memory == ImageMemory::Flash ? "the ELF file has no flash data"
                                                   : "the ELF file has no EEPROM data";
    }
}

}  // namespace

ImageFileLoad LoadImageFile(const std::string& path, std::optional<ImageFormat> format,
                            ImageMemory memory, std::vector<uint8_t>& image,
                            ImageLoadState& state) {
    ImageFileLoad load;
    std::error_code error;
    std::ifstream file;
    if (std::filesystem::is_regular_file(path, error)) {
        file.open(path, std::ios::binary);
    }
    if (!file.is_open()) {
        load.reason = "no such file (or not a plain file), or it cannot be read";
        return load;
    }
    load.format = format ? *format : DetectImageFormat(file, path);
    load.result = Result::Loaded;
    switch (load.format) {
        case ImageFormat::IntelHex:
        case ImageFormat::EncryptedImage:
            LoadHex(file, image, state, load);
            break;
        case ImageFormat::SRecord:
            LoadSRecords(file, image, state, load);
            break;
        case ImageFormat::Binary:
            Clear(image, state);
            LoadBinaryImage(file, image, state);
            break;
        case ImageFormat::Elf:
            LoadElf(file, memory, image, state, load);
            break;
        case ImageFormat::Unknown:
            load.result = Result::NotThisFormat;
            load.reason = std::string("not a file Zentaro reads: ") + kReadableFormats;
            break;
    }
    return load;
}

bool WriteImageFile(ImageFormat format, AtomicFile& file, const uint8_t* memory, uint32_t size) {
    switch (format) {
        case ImageFormat::SRecord:
            return WriteSRecords(file, memory, size);
        case ImageFormat::Binary:
            return WriteBinaryImage(file, memory, size);
        default:
            return WriteHexImage(file, memory, size);
    }
}

}  // namespace zentaro
