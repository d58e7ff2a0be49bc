// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <random>

namespace zentaro {

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}
namespace {

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

// Opens a new file ".<name>.XXXXXX" beside target with O_EXCL, so that the umask governs
// its permissions as it would for a file created in place. -1 on failure.
int CreateTempBeside(const std::filesystem::path& target, std::string& tempPath) {
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
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        std::string name = prefix;
        for (int i = 0; i < 6; ++i) {
            name.push_back(kChars[pick(random)]);
        }
        tempPath = (target.parent_path() / name).string();
        const int fd = ::open(tempPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

}  // namespace

// Everything that would have made opening the target itself for writing fail, plus the
// temporary file. An existing target passes its permission bits on to its replacement.
std::unique_ptr<AtomicFile> AtomicFile::Create(const std::string& path) {
    const std::filesystem::path target = ResolveTarget(path);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (!target.has_filename() ||
        (exists && (S_ISDIR(existing.st_mode) || ::access(target.c_str(), W_OK) != 0))) {
        return nullptr;
    }
    std::string tempPath;
    const int fd = CreateTempBeside(target, tempPath);
    if (fd < 0) {
        return nullptr;
    }
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
    }
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
        ::unlink(tempPath.c_str());
        return nullptr;
    }
    return std::unique_ptr<AtomicFile>(new AtomicFile(file, std::move(tempPath), target.string()));
}

AtomicFile::AtomicFile(std::FILE* file, std::string tempPath, std::string targetPath)
    : file_(file), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}

AtomicFile::~AtomicFile() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    if (!committed_) {
        ::unlink(tempPath_.c_str());
    }
}

bool AtomicFile::Write(const void* bytes, size_t size) {
    // An empty memory's data may be a null pointer, which fwrite must not get even for no
    // bytes.
    writeOk_ =
        writeOk_ && file_ != nullptr && (size == 0 || std::fwrite(bytes, 1, size, file_) == size);
    return writeOk_;
}

bool AtomicFile::Commit() {
    if (file_ == nullptr) {
        return committed_;
    }
    bool ok = writeOk_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
    ok = std::fclose(file_) == 0 && ok;
    file_ = nullptr;
    committed_ = ok && std::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
    return committed_;
}

}  // namespace zentaro
