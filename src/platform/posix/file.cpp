// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace zentaro {

namespace {

int OpenFlags(FileAccess access) {
    switch (access) {
        case FileAccess::Read:
            return O_RDONLY;
        case FileAccess::Append:
            return O_WRONLY | O_APPEND | O_CREAT;
        case FileAccess::CreateNew:
            return O_WRONLY | O_CREAT | O_EXCL;
        case FileAccess::Lock:
            return O_RDWR | O_CREAT;
    }
    return O_RDONLY;
}

int Fd(intptr_t handle) {
    return static_cast<int>(handle);
}

}  // namespace

PlatformFile PlatformFile::Open(const std::string& path, FileAccess access) {
    PlatformFile file;
    // New files get 0666 less the umask, as the user's other programs give them.
    int fd = -1;
    do {
        fd = ::open(path.c_str(), OpenFlags(access) | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        file.error_ = std::strerror(errno);
        file.missing_ = errno == ENOENT;
        file.exists_ = errno == EEXIST;
        return file;
    }
    file.handle_ = fd;
    file.access_ = access;
    return file;
}

PlatformFile::~PlatformFile() {
    static_cast<void>(Close());
}

PlatformFile::PlatformFile(PlatformFile&& other) noexcept
    : handle_(other.handle_),
      access_(other.access_),
      error_(std::move(other.error_)),
      missing_(other.missing_),
      exists_(other.exists_) {
    other.handle_ = kClosed;
}

PlatformFile& PlatformFile::operator=(PlatformFile&& other) noexcept {
    if (this != &other) {
        static_cast<void>(Close());
        handle_ = other.handle_;
        access_ = other.access_;
        error_ = std::move(other.error_);
        missing_ = other.missing_;
        exists_ = other.exists_;
        other.handle_ = kClosed;
    }
    return *this;
}

bool PlatformFile::Close() {
    if (!IsOpen()) {
        return true;
    }
    const bool closed = ::close(Fd(handle_)) == 0;
    handle_ = kClosed;
    return closed;
}

bool PlatformFile::IsPlainFile() const {
    struct stat info {};
    return IsOpen() && ::fstat(Fd(handle_), &info) == 0 && S_ISREG(info.st_mode);
}

bool PlatformFile::ReadAll(std::string& text) {
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(Fd(handle_), buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<size_t>(count));
        } else if (count == 0) {
            return true;
        } else if (errno != EINTR) {
            error_ = std::strerror(errno);
            return false;
        }
    }
}

bool PlatformFile::WriteAll(const void* data, size_t size) {
    ssize_t written = -1;
    do {
        written = ::write(Fd(handle_), data, size);
    } while (written < 0 && errno == EINTR);
    if (written < 0) {
        error_ = std::strerror(errno);
        return false;
    }
    if (static_cast<size_t>(written) != size) {
        error_ = "the disk took only part of it";
        return false;
    }
    return true;
}

bool PlatformFile::Sync() {
    if (::fsync(Fd(handle_)) != 0) {
        error_ = std::strerror(errno);
        return false;
    }
    return true;
}

bool PlatformFile::LockExclusive() {
    while (::flock(Fd(handle_), LOCK_EX) != 0) {
        if (errno != EINTR) {
            error_ = std::strerror(errno);
            return false;
        }
    }
    return true;
}

void PlatformFile::TakePermissionsOf(const std::string& path) {
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        ::fchmod(Fd(handle_), existing.st_mode & 07777);
    }
}

bool PathExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool CanRead(const std::string& path) {
    return ::access(path.c_str(), R_OK) == 0;
}

bool CanWrite(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

bool CanCreateIn(const std::string& folder) {
    return ::access(folder.c_str(), W_OK) == 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

void SyncFolder(const std::string& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

}  // namespace zentaro
