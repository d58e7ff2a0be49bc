// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/serial_counter.h"

#include <charconv>
#include <filesystem>
#include <optional>
#include <sstream>
#include <vector>

#include "images/atomic_file.h"
#include "platform/file.h"

namespace zentaro {

namespace {

struct CounterState {
    uint64_t next = 0;
    std::set<uint64_t> free;
};

std::string Failed(const std::string& what, const PlatformFile& file) {
    return what + " (" + file.Error() + ")";
}

// Holds the exclusive lock on the lock file beside the counter while it lives.
class CounterLock {
public:
    explicit CounterLock(const std::string& counterPath)
        : file_(PlatformFile::Open(counterPath + ".lock", FileAccess::Lock)) {
        const std::string path = counterPath + ".lock";
        if (!file_.IsOpen()) {
            error_ = Failed("cannot open " + path, file_);
        } else if (!file_.LockExclusive()) {
            error_ = Failed("cannot lock " + path, file_);
        }
    }

    const std::string& Error() const { return error_; }

private:
    PlatformFile file_;  // closing it releases the lock
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
    PlatformFile file = PlatformFile::Open(path, FileAccess::Read);
    missing = file.Missing();
    std::string text;
    if (!file.IsOpen() || !file.ReadAll(text)) {
        error = Failed("cannot read " + path, file);
        return std::nullopt;
    }

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

// Replaces the file at path by state so that after a crash at any point the file holds
// either the old or the new state, never a mix, and the new one once this returns true.
bool WriteState(const std::string& path, const CounterState& state, std::string& error) {
    const std::unique_ptr<AtomicFile> file = AtomicFile::Create(path);
    if (!file) {
        error = "cannot write beside " + path;
        return false;
    }
    if (!file->Write(StateText(state)) || !file->Commit()) {
        error = "cannot write " + path;
        return false;
    }
    return true;
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
