// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/file_check.h"

#include <filesystem>
#include <vector>

#include "images/encrypted_image.h"
#include "images/image_file.h"
#include "operations/file_questions.h"
#include "platform/file.h"
#include "production/job_images.h"

namespace zentaro::cli {

namespace {

FileCheck CheckReadable(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return {path + ": no such file (or not a plain file)"};
    }
    if (!CanRead(path)) {
        return {path + ": cannot be read"};
    }
    return {};
}

// The largest memory a device of the table has; images are checked against it.
constexpr size_t kLargestMemory = 128 * 1024;

FileCheck CheckInput(const CliOptions& options) {
    const std::string& path = options.file;
    if (const FileCheck readable = CheckReadable(path); !readable.error.empty()) {
        return readable;
    }
    std::vector<uint8_t> image(kLargestMemory, 0xFF);
    ImageLoadState state;
    if (options.verb == Verb::Program && options.memory == Memory::Flash && !options.format &&
        IsEncryptedImageName(path)) {
        const EncryptedImageLoad load = LoadEncryptedImage(path, image, state);
        if (load != EncryptedImageLoad::Loaded) {
            return {path + ": not a valid encrypted image (" + EncryptedImageNotice(load) + ")"};
        }
        return {};
    }
    // A checksum error is the user's call, which the command asks for.
    const ImageFileLoad load = LoadImageFile(
        path, options.format,
        options.memory == Memory::Flash ? ImageMemory::Flash : ImageMemory::Eeprom, image, state);
    return {load.Loaded() ? "" : path + ": " + load.reason};
}

// The fuse and lock bytes an ELF file carries become the bytes to write.
FileCheck TakeFusesFrom(CliOptions& options) {
    const std::string& path = options.fusesFrom;
    if (const FileCheck readable = CheckReadable(path); !readable.error.empty()) {
        return readable;
    }
    const ElfFuses fuses = ReadElfFuses(path);
    options.fuseWrite = fuses.bytes;
    return {fuses.error.empty() ? "" : path + ": " + fuses.error};
}

FileCheck CheckOutput(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return {path + ": is a folder"};
    }
    std::filesystem::path folder = std::filesystem::path(path).parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    if (!std::filesystem::is_directory(folder, error) || !CanCreateIn(folder.string())) {
        return {path + ": cannot be written (no writable folder " + folder.string() + ")"};
    }
    return {};
}

}  // namespace

FileCheck CheckFile(CliOptions& options) {
    switch (options.verb) {
        case Verb::Program:
        case Verb::Verify:
            return CheckInput(options);
        case Verb::Read:
            return CheckOutput(options.file);
        case Verb::Fuses:
            return options.fusesFrom.empty() ? FileCheck{} : TakeFusesFrom(options);
        default:
            return {};
    }
}

}  // namespace zentaro::cli
