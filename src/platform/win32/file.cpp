// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/file.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace zentaro {

namespace {

HANDLE Handle(intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

struct OpenForm {
    DWORD access;
    DWORD disposition;
};

OpenForm FormFor(FileAccess access) {
    switch (access) {
        case FileAccess::Read:
            return {GENERIC_READ, OPEN_EXISTING};
        case FileAccess::Append:
            // Appending only is what makes each write land whole at the end.
            return {FILE_APPEND_DATA, OPEN_ALWAYS};
        case FileAccess::CreateNew:
            return {GENERIC_WRITE, CREATE_NEW};
        case FileAccess::Lock:
            return {GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS};
    }
    return {GENERIC_READ, OPEN_EXISTING};
}

// Opens path with access, letting other programs read, write and rename it meanwhile, as a
// file opened on Linux lets them.
HANDLE OpenShared(const std::string& path, DWORD access, DWORD disposition) {
    return CreateFileW(Wide(path).c_str(), access,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool Opens(const std::string& path, DWORD access) {
    const HANDLE handle = OpenShared(path, access, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(handle);
    return true;
}

}  // namespace

PlatformFile PlatformFile::Open(const std::string& path, FileAccess access) {
    PlatformFile file;
    const OpenForm form = FormFor(access);
    const HANDLE handle = OpenShared(path, form.access, form.disposition);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        file.error_ = SystemMessage(code);
        file.missing_ = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
        file.exists_ = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        return file;
    }
    file.handle_ = reinterpret_cast<intptr_t>(handle);
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
    const bool closed = CloseHandle(Handle(handle_)) != 0;
    handle_ = kClosed;
    return closed;
}

bool PlatformFile::IsPlainFile() const {
    BY_HANDLE_FILE_INFORMATION info{};
    return IsOpen() && GetFileType(Handle(handle_)) == FILE_TYPE_DISK &&
           GetFileInformationByHandle(Handle(handle_), &info) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool PlatformFile::ReadAll(std::string& text) {
    char buffer[4096];
    for (;;) {
        DWORD count = 0;
        if (ReadFile(Handle(handle_), buffer, sizeof buffer, &count, nullptr) == 0) {
            error_ = SystemMessage(GetLastError());
            return false;
        }
        if (count == 0) {
            return true;
        }
        text.append(buffer, count);
    }
}

bool PlatformFile::WriteAll(const void* data, size_t size) {
    // Not every implementation of Windows keeps appends from several handles apart, so an
    // append holds the whole file while it writes.
    OVERLAPPED whole{};
    const bool locked =
        access_ == FileAccess::Append &&
        LockFileEx(Handle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
    DWORD written = 0;
    const bool wrote =
        WriteFile(Handle(handle_), data, static_cast<DWORD>(size), &written, nullptr) != 0;
    const DWORD code = GetLastError();
    if (locked) {
        UnlockFileEx(Handle(handle_), 0, MAXDWORD, MAXDWORD, &whole);
    }
    if (!wrote) {
        error_ = SystemMessage(code);
        return false;
    }
    if (written != size) {
        error_ = "the disk took only part of it";
        return false;
    }
    return true;
}

bool PlatformFile::Sync() {
    if (FlushFileBuffers(Handle(handle_)) == 0) {
        error_ = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

bool PlatformFile::LockExclusive() {
    OVERLAPPED whole{};
    if (LockFileEx(Handle(handle_), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) == 0) {
        error_ = SystemMessage(GetLastError());
        return false;
    }
    return true;
}

void PlatformFile::TakePermissionsOf(const std::string&) {
    // A new file takes the access rules of its folder, as the file it replaces did.
}

bool PathExists(const std::string& path) {
    return GetFileAttributesW(Wide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CanRead(const std::string& path) {
    return Opens(path, GENERIC_READ);
}

bool CanWrite(const std::string& path) {
    return Opens(path, GENERIC_WRITE);
}

bool CanCreateIn(const std::string& folder) {
    // Access rules decide only at the attempt; a folder marked read-only still takes files.
    const DWORD attributes = GetFileAttributesW(Wide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool MoveIntoPlace(const std::string& from, const std::string& to) {
    return MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const std::string& path) {
    return DeleteFileW(Wide(path).c_str()) != 0;
}

void SyncFolder(const std::string&) {
    // The file system's journal keeps a name once the move that made it was written through.
}

}  // namespace zentaro
