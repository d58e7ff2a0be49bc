// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "platform/file.h"

namespace zentaro {

// An output file that never leaves a half-written file where the user's file was: the bytes
// go to a temporary file beside the target, and Commit() puts it in place. Destroying an
// uncommitted file removes the temporary file and leaves the target as it was.
class AtomicFile {
public:
    // Nothing when the target cannot be written: a folder, a write-protected file, a missing
    // or write-protected folder. A link that leads to a file is followed, so the file it
    // points to is replaced and the link stays; a replaced file keeps its permission bits.
    static std::unique_ptr<AtomicFile> Create(const std::string& path);

    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    // False from the first failed write on.
    [[nodiscard]] bool Write(const void* bytes, size_t size);
    [[nodiscard]] bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, closes and renames the temporary file onto the target, and makes the new name
    // last. False when any write failed or the file cannot be put in place; then the target
    // is as it was.
    [[nodiscard]] bool Commit();

private:
    AtomicFile(PlatformFile file, std::string tempPath, std::string targetPath);
    [[nodiscard]] bool WritePending();

    PlatformFile file_;
    std::string pending_;
    std::string tempPath_;
    std::string targetPath_;
    bool writeOk_ = true;
    bool committed_ = false;
};

}  // namespace zentaro
