// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace zentaro {

// How PlatformFile::Open opens a file.
enum class FileAccess {
    Read,       // an existing file, for reading
    Append,     // for writing at its end, created when missing
    CreateNew,  // a new file for writing: fails when anything has the name
    Lock,       // for reading and writing, created when missing: a file to lock
};

// A file opened by its UTF-8 path through the system's own calls, for what the standard
// streams cannot do: creating a file only when it is new, appending a line in one write,
// forcing the data to the disk and locking. Closed when destroyed.
class PlatformFile {
public:
    static PlatformFile Open(const std::string& path, FileAccess access);
    ~PlatformFile();
    PlatformFile(PlatformFile&& other) noexcept;
    PlatformFile& operator=(PlatformFile&& other) noexcept;
    PlatformFile(const PlatformFile&) = delete;
    PlatformFile& operator=(const PlatformFile&) = delete;

    [[nodiscard]] bool IsOpen() const { return handle_ != kClosed; }
    // Why the open or the last failed call failed, in the system's words.
    const std::string& Error() const { return error_; }
    // The open failed because nothing has the name.
    [[nodiscard]] bool Missing() const { return missing_; }
    // The open failed because something already has the name (CreateNew).
    [[nodiscard]] bool Exists() const { return exists_; }

    [[nodiscard]] bool IsPlainFile() const;
    // Reads from the current position to the end.
    [[nodiscard]] bool ReadAll(std::string& text);
    // Writes the bytes in one call, so that an appended line lands whole; false unless all
    // of them were written.
    [[nodiscard]] bool WriteAll(const void* data, size_t size);
    // Forces what was written to the disk.
    [[nodiscard]] bool Sync();
    // Waits for the exclusive lock, which closing releases.
    [[nodiscard]] bool LockExclusive();
    // Gives the file the permissions of the file at path, where the system has such.
    void TakePermissionsOf(const std::string& path);
    // Closes the file ahead of its end; false when the system reports a failed write then.
    [[nodiscard]] bool Close();

private:
    static constexpr intptr_t kClosed = -1;
    PlatformFile() = default;

    intptr_t handle_ = kClosed;
    FileAccess access_ = FileAccess::Read;
    std::string error_;
    bool missing_ = false;
    bool exists_ = false;
};

// True when anything is at path, also a link that leads nowhere.
bool PathExists(const std::string& path);
// The current user may read or write the file at path.
bool CanRead(const std::string& path);
bool CanWrite(const std::string& path);
// The current user may make files in the folder.
bool CanCreateIn(const std::string& folder);
// Puts the file at from in the place of the one at to in one step, so that to is always
// either the old file or the whole new one.
bool MoveIntoPlace(const std::string& from, const std::string& to);
bool RemoveFile(const std::string& path);
// Makes a new name in folder survive a power cut, where the system needs telling.
void SyncFolder(const std::string& folder);

}  // namespace zentaro
