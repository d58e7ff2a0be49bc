// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/atomic_file.h"

#include <filesystem>
#include <random>

namespace zentaro {

namespace {

// Written to the disk in pieces of this size, so that a large image costs few system calls.
constexpr size_t kWriteChunk = 64 * 1024;

// The file that ends up replaced: a link that leads to a file is followed, so the file it
// points to is updated and the link stays.
std::filesystem::path ResolveTarget(const std::string& path) {
    std::error_code error;
    if (std::filesystem::is_symlink(path, error)) {
        auto resolved = std::filesystem::canonical(path, error);
        if (!error) {
            return resolved;
        }
    }
    return path;
}

// Opens a new file ".<name>.XXXXXX" beside target, created only when the name is free, so
// that it gets the permissions a file created in place would get.
PlatformFile CreateTempBeside(const std::filesystem::path& target, std::string& tempPath) {
    static constexpr char kChars[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device seed;
    std::mt19937 random(seed());
    std::uniform_int_distribution<size_t> pick(0, sizeof(kChars) - 2);
    // The name keeps within the 255 bytes a file name may have, however long the target's is.
    constexpr size_t kMaxStem = 240;
    std::string prefix(1, '.');
    prefix.append(target.filename().string(), 0, kMaxStem);
    prefix.push_back('.');
    constexpr int kAttempts = 100;
    for (int attempt = 0;; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name.push_back(kChars[pick(random)]);
        }
        tempPath = (target.parent_path() / name).string();
        PlatformFile file = PlatformFile::Open(tempPath, FileAccess::CreateNew);
        if (file.IsOpen() || !file.Exists() || attempt + 1 == kAttempts) {
            return file;
        }
    }
}

}  // namespace

// Everything that would have made opening the target itself for writing fail, plus the
// temporary file. An existing target passes its permission bits on to its replacement.
std::unique_ptr<AtomicFile> AtomicFile::Create(const std::string& path) {
    const std::filesystem::path target = ResolveTarget(path);
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(target, error);
    const bool exists = std::filesystem::exists(status);
    if (!target.has_filename() ||
        (exists && (std::filesystem::is_directory(status) || !CanWrite(target.string())))) {
        return nullptr;
    }
    std::string tempPath;
    PlatformFile file = CreateTempBeside(target, tempPath);
    if (!file.IsOpen()) {
        return nullptr;
    }
    if (exists) {
        file.TakePermissionsOf(target.string());
    }
    return std::unique_ptr<AtomicFile>(
        new AtomicFile(std::move(file), std::move(tempPath), target.string()));
}

AtomicFile::AtomicFile(PlatformFile file, std::string tempPath, std::string targetPath)
    : file_(std::move(file)), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}

AtomicFile::~AtomicFile() {
    if (!committed_) {
        static_cast<void>(file_.Close());
        RemoveFile(tempPath_);
    }
}

bool AtomicFile::Write(const void* bytes, size_t size) {
    // An empty memory's data may be a null pointer, which must not be read even for no bytes.
    if (!writeOk_ || size == 0) {
        return writeOk_;
    }
    pending_.append(static_cast<const char*>(bytes), size);
    if (pending_.size() >= kWriteChunk) {
        writeOk_ = WritePending();
    }
    return writeOk_;
}

bool AtomicFile::WritePending() {
    const bool written = file_.WriteAll(pending_.data(), pending_.size());
    pending_.clear();
    return written;
}

bool AtomicFile::Commit() {
    if (!file_.IsOpen()) {
        return committed_;
    }
    bool ok = writeOk_ && WritePending() && file_.Sync();
    ok = file_.Close() && ok;
    committed_ = ok && MoveIntoPlace(tempPath_, targetPath_);
    if (committed_) {
        SyncFolder(std::filesystem::path(targetPath_).parent_path().string());
    }
    return committed_;
}

}  // namespace zentaro
