// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace zentaro {
namespace {

// The segment record reaches 1 MiB: segment 0xFFFF times 16 plus a 16-bit offset.
constexpr uint32_t kMaxHexSpan = 0x100000;
constexpr uint32_t kGroupSize = 16;
constexpr uint32_t kSegmentSpan = 0x10000;

constexpr char kOverwriteQuestion[] = "\n这个文件已经存在.        \n覆盖这个文件吗?       ";
constexpr char kCannotCreate[] = "不能建立输出文件            ";

void AppendHexByte(std::string& text, uint32_t byte) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    text.push_back(kDigits[(byte >> 4) & 0xF]);
    text.push_back(kDigits[byte & 0xF]);
}

uint32_t Checksum(uint32_t sum) {
    return (0x100 - (sum & 0xFF)) & 0xFF;
}

class TempFileHexOutput final : public HexOutput {
public:
    TempFileHexOutput(std::FILE* file, std::string tempPath, std::string targetPath)
        : file_(file), tempPath_(std::move(tempPath)), targetPath_(std::move(targetPath)) {}
    TempFileHexOutput(const TempFileHexOutput&) = delete;
    TempFileHexOutput& operator=(const TempFileHexOutput&) = delete;

    ~TempFileHexOutput() override {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
        if (!committed_) {
            ::unlink(tempPath_.c_str());
        }
    }

    bool WriteSegmentRecord(uint32_t byteAddress) override {
        return WriteLine(FormatSegmentRecord(byteAddress));
    }
    bool WriteDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) override {
        return WriteLine(FormatDataRecord(byteAddress, bytes));
    }
    bool WriteEndRecord() override { return WriteLine(":00000001FF"); }

    bool Commit() override {
        if (file_ == nullptr) {
            return committed_;
        }
        bool ok = writeOk_ && std::fflush(file_) == 0 && ::fsync(::fileno(file_)) == 0;
        ok = std::fclose(file_) == 0 && ok;
        file_ = nullptr;
        committed_ = ok && std::rename(tempPath_.c_str(), targetPath_.c_str()) == 0;
        return committed_;
    }

private:
    bool WriteLine(const std::string& line) {
        writeOk_ = writeOk_ && file_ != nullptr && std::fputs(line.c_str(), file_) >= 0 &&
                   std::fputc('\n', file_) != EOF;
        return writeOk_;
    }

    std::FILE* file_;
    std::string tempPath_;
    std::string targetPath_;
    bool writeOk_ = true;
    bool committed_ = false;
};

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

// Everything that would have made opening the target itself for writing fail, plus the
// temporary file. An existing target passes its permission bits on to its replacement.
std::unique_ptr<HexOutput> OpenOutput(const std::filesystem::path& target) {
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
    return std::make_unique<TempFileHexOutput>(file, std::move(tempPath), target.string());
}

}  // namespace

bool HexFileExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string FormatSegmentRecord(uint32_t byteAddress) {
    const uint32_t segment = (byteAddress >> 4) & 0xFFFF;
    std::string line = ":02000002";
    AppendHexByte(line, segment >> 8);
    AppendHexByte(line, segment & 0xFF);
    AppendHexByte(line, Checksum(0x02 + 0x02 + (segment >> 8) + (segment & 0xFF)));
    return line;
}

std::string FormatDataRecord(uint32_t byteAddress, const uint8_t bytes[16]) {
    const uint32_t address = byteAddress & 0xFFFF;
    std::string line;
    // ':', count, address, type, sixteen bytes and the checksum: grown once, not three times.
    line.reserve(1 + 2 * (1 + 2 + 1 + kGroupSize + 1));
    line = ":10";
    AppendHexByte(line, address >> 8);
    AppendHexByte(line, address & 0xFF);
    line += "00";
    uint32_t sum = kGroupSize + (address >> 8) + (address & 0xFF);
    for (uint32_t i = 0; i < kGroupSize; ++i) {
        AppendHexByte(line, bytes[i]);
        sum += bytes[i];
    }
    AppendHexByte(line, Checksum(sum));
    return line;
}

std::unique_ptr<HexOutput> CreateHexOutput(const std::string& path, Panel& panel, bool* declined) {
    if (HexFileExists(path) && !panel.AskYesNo(path + kOverwriteQuestion, true)) {
        if (declined != nullptr) {
            *declined = true;
        }
        return nullptr;
    }
    auto output = OpenOutput(ResolveTarget(path));
    if (!output) {
        panel.Notice(kCannotCreate);
    }
    return output;
}

bool WriteHexGroup(HexOutput& output, uint32_t byteAddress, const uint8_t bytes[16]) {
    if (byteAddress % kSegmentSpan == 0 && !output.WriteSegmentRecord(byteAddress)) {
        return false;
    }
    return output.WriteDataRecord(byteAddress, bytes);
}

bool WriteHexRecords(HexOutput& output, const uint8_t* memory, uint32_t size) {
    if (size > kMaxHexSpan) {
        return false;
    }
    for (uint32_t address = 0; address + kGroupSize <= size; address += kGroupSize) {
        if (!WriteHexGroup(output, address, memory + address)) {
            return false;
        }
    }
    return true;
}

}  // namespace zentaro
