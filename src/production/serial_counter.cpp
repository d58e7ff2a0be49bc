// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/serial_counter.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

namespace zentaro {

namespace {

struct CounterState {
    uint64_t next = 0;
    std::set<uint64_t> free;
};

std::string Errno(const std::string& what) {
    return what + " (" + std::strerror(errno) + ")";
}

// Holds the exclusive lock on the lock file beside the counter while it lives.
class CounterLock {
public:
    explicit CounterLock(const std::string& counterPath) {
        const std::string path = counterPath + ".lock";
        fd_ = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd_ < 0) {
            error_ = Errno("cannot open " + path);
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = Errno("cannot lock " + path);
                return;
            }
        }
    }
    ~CounterLock() {
        if (fd_ >= 0) {
            ::close(fd_);  // releases the lock
        }
    }
    CounterLock(const CounterLock&) = delete;
    CounterLock& operator=(const CounterLock&) = delete;

    const std::string& Error() const { return error_; }

private:
    int fd_ = -1;
    std::string error_;
};

std::optional<uint64_t> ParseNumber(const std::string& word) {
    uint64_t value = 0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    if (word.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// The state in the file; nothing when it is missing (missing set) or cannot be read (error).
std::optional<CounterState> ReadState(const std::string& path, bool& missing, std::string& error) {
    missing = false;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        missing = errno == ENOENT;
        error = Errno("cannot read " + path);
        return std::nullopt;
    }
    std::string text;
    char buffer[4096];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count > 0) {
            text.append(buffer, static_cast<size_t>(count));
        } else if (count == 0) {
            break;
        } else if (errno != EINTR) {
            error = Errno("cannot read " + path);
            ::close(fd);
            return std::nullopt;
        }
    }
    ::close(fd);

    CounterState state;
    bool sawNext = false;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line);
        std::string keyword;
        if (!(words >> keyword) || keyword.starts_with('#')) {
            continue;
        }
        const std::string where = path + " line " + std::to_string(number) + ": ";
        std::vector<uint64_t> values;
        for (std::string word; words >> word;) {
            const std::optional<uint64_t> value = ParseNumber(word);
            if (!value) {
                error = where + "\"" + word + "\" is no number";
                return std::nullopt;
            }
            values.push_back(*value);
        }
        if (keyword == "next" && values.size() == 1 && !sawNext) {
            state.next = values[0];
            sawNext = true;
        } else if (keyword == "free") {
            state.free.insert(values.begin(), values.end());
        } else {
            error = where + "expected \"next N\" once and \"free N N ...\"";
            return std::nullopt;
        }
    }
    if (!sawNext) {
        error = path + " has no \"next\" line";
        return std::nullopt;
    }
    // A free number at or above next would be handed out twice.
    if (!state.free.empty() && *state.free.rbegin() >= state.next) {
        error = path + ": free number " + std::to_string(*state.free.rbegin()) +
                " is not below next " + std::to_string(state.next);
        return std::nullopt;
    }
    return state;
}

std::string StateText(const CounterState& state) {
    std::string text = "# Zentaro serial counter: edit only while no production job runs.\nnext " +
                       std::to_string(state.next) + "\n";
    if (!state.free.empty()) {
        text += "free";
        for (const uint64_t number : state.free) {
            text += " " + std::to_string(number);
        }
        text += "\n";
    }
    return text;
}

bool WriteAll(int fd, const std::string& text) {
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t count = ::write(fd, text.data() + done, text.size() - done);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        done += static_cast<size_t>(count);
    }
    return true;
}

// Replaces the file at path by state so that after a crash at any point the file holds
// either the old or the new state, never a mix, and the new one once this returns true.
bool WriteState(const std::string& path, const CounterState& state, std::string& error) {
    const std::filesystem::path target(path);
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) {
        folder = ".";
    }
    std::string tempPath = path + ".XXXXXX";
    const int fd = ::mkstemp(tempPath.data());
    if (fd < 0) {
        error = Errno("cannot write beside " + path);
        return false;
    }
    struct stat existing {};
    const mode_t mode = ::stat(path.c_str(), &existing) == 0 ? (existing.st_mode & 07777) : 0644;
    bool ok = ::fchmod(fd, mode) == 0 && WriteAll(fd, StateText(state)) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(tempPath.c_str(), path.c_str()) != 0) {
        error = Errno("cannot write " + path);
        ::unlink(tempPath.c_str());
        return false;
    }
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ok = folderFd >= 0 && ::fsync(folderFd) == 0;
    if (folderFd >= 0) {
        ::close(folderFd);
    }
    if (!ok) {
        error = Errno("cannot make the change to " + path + " lasting");
    }
    return ok;
}

// Runs change on the state under the lock and writes the result. change returns false (and
// fills the result) to leave the file as it is.
template <typename Change>
CounterResult Transact(const std::string& path, Change change) {
    CounterResult result;
    CounterLock lock(path);
    if (!lock.Error().empty()) {
        result.message = lock.Error();
        return result;
    }
    bool missing = false;
    std::optional<CounterState> state = ReadState(path, missing, result.message);
    if (!state) {
        // Never made afresh here: a counter file that vanished during a run would otherwise
        // start again from the beginning and repeat numbers.
        if (missing) {
            result.message = path + " has gone";
        }
        return result;
    }
    if (!change(*state, result)) {
        return result;
    }
    result.ok = WriteState(path, *state, result.message);
    return result;
}

}  // namespace

SerialCounter::SerialCounter(std::string path, uint64_t step)
    : path_(std::move(path)), step_(step) {}

std::unique_ptr<SerialCounter> SerialCounter::Open(const std::string& path, uint64_t start,
                                                   uint64_t step, std::string& error) {
    if (step == 0) {
        error = "the serial number step must be 1 or more";
        return nullptr;
    }
    CounterLock lock(path);
    if (!lock.Error().empty()) {
        error = lock.Error();
        return nullptr;
    }
    bool missing = false;
    if (!ReadState(path, missing, error)) {
        if (!missing) {
            return nullptr;
        }
        error.clear();
        if (!WriteState(path, CounterState{start, {}}, error)) {
            return nullptr;
        }
    }
    return std::unique_ptr<SerialCounter>(new SerialCounter(path, step));
}

CounterResult SerialCounter::Reserve() {
    CounterResult result = Transact(path_, [this](CounterState& state, CounterResult& outcome) {
        if (!state.free.empty()) {
            outcome.number = *state.free.begin();
            state.free.erase(state.free.begin());
            return true;
        }
        if (state.next > UINT64_MAX - step_) {
            outcome.message =
                path_ + ": no serial number is left after " + std::to_string(state.next);
            return false;
        }
        outcome.number = state.next;
        state.next += step_;
        return true;
    });
    if (result.ok) {
        std::lock_guard<std::mutex> guard(mutex_);
        reserved_.insert(result.number);
    }
    return result;
}

CounterResult SerialCounter::Confirm(uint64_t number) {
    CounterResult result;
    result.number = number;
    std::lock_guard<std::mutex> guard(mutex_);
    if (reserved_.erase(number) == 0) {
        result.message = "serial number " + std::to_string(number) + " was not reserved here";
        return result;
    }
    result.ok = true;
    return result;
}

CounterResult SerialCounter::GiveBack(uint64_t number) {
    {
        // Taken off first, so that two threads cannot both give the same number back.
        std::lock_guard<std::mutex> guard(mutex_);
        if (reserved_.erase(number) == 0) {
            return {false, number,
                    "serial number " + std::to_string(number) + " was not reserved here"};
        }
    }
    CounterResult result =
        Transact(path_, [this, number](CounterState& state, CounterResult& outcome) {
            // Back already: a retry after the change reached the file but not the disk's promise.
            if (number >= state.next || state.free.contains(number)) {
                outcome.ok = true;
                return false;
            }
            state.free.insert(number);
            // The highest numbers given back go back into next, which keeps the file short.
            while (!state.free.empty() && *state.free.rbegin() + step_ == state.next) {
                state.next = *state.free.rbegin();
                state.free.erase(std::prev(state.free.end()));
            }
            return true;
        });
    result.number = number;
    if (!result.ok) {
        // Still out of the file's hands: the caller may try again.
        std::lock_guard<std::mutex> guard(mutex_);
        reserved_.insert(number);
    }
    return result;
}

}  // namespace zentaro
