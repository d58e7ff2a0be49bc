// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/file_check.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "common/keeping_panel.h"
#include "images/encrypted_image.h"
#include "images/hex_reader.h"

namespace zentaro::cli {

namespace {

// The largest memory a device of the table has; images are checked against it.
constexpr size_t kLargestMemory = 128 * 1024;

FileCheck CheckInput(const CliOptions& options) {
    const std::string& path = options.file;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return {path + ": no such file (or not a plain file)"};
    }
    std::ifstream file(path);
    if (!file) {
        return {path + ": cannot be read"};
    }
    std::vector<uint8_t> image(kLargestMemory, 0xFF);
    HexLoadState state;
    if (options.verb == Verb::Program && options.memory == Memory::Flash &&
        IsEncryptedImageName(path)) {
        KeepingPanel keeper;
        if (!LoadEncryptedImage(path, image, state, keeper)) {
            return {path + ": not a valid encrypted image (" + keeper.notices.front() + ")"};
        }
        return {};
    }
    if (!IsHexFile(file)) {
        return {path + ": not an Intel HEX file"};
    }
    // Deliberately unchecked: a checksum error is the user's call, which the command asks for.
    static_cast<void>(LoadHexImage(file, image, state));
    return {};
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
    if (!std::filesystem::is_directory(folder, error) || ::access(folder.c_str(), W_OK) != 0) {
        return {path + ": cannot be written (no writable folder " + folder.string() + ")"};
    }
    return {};
}

}  // namespace

FileCheck CheckFile(const CliOptions& options) {
    switch (options.verb) {
        case Verb::Program:
        case Verb::Verify:
            return CheckInput(options);
        case Verb::Read:
            return CheckOutput(options.file);
        default:
            return {};
    }
}

}  // namespace zentaro::cli
