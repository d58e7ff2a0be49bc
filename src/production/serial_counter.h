// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace zentaro {

struct CounterResult {
    bool ok = false;
    uint64_t number = 0;  // the number reserved, confirmed or given back
    std::string message;  // why not, when !ok
};

// The serial numbers of a production run, kept in a counter file that several boards of one
// process and several processes share.
//
// The file is plain text, one entry a line (blank lines and lines starting with '#' are
// ignored):
//
//     next 1003          the number a chip gets when no number is free
//     free 1001 1002     numbers handed out and given back, in rising order; may be absent
//
// Every change takes an exclusive flock() on "<counter>.lock" beside it (a file of its own,
// because the counter file is replaced on each change and a lock on a replaced file guards
// nothing), reads the file, and writes the new content to a temporary file in the same folder,
// which is flushed to disk, renamed onto the counter file, and made lasting with a flush of
// the folder. Each call opens the lock file afresh, so threads exclude one another as
// processes do.
//
// No number is ever given twice: Reserve() returns a number only after the file that no
// longer offers it is on disk, so the chip is written under a number the file has already
// let go. A crash before Confirm() or GiveBack() (or a SerialCounter destroyed with numbers
// still reserved) loses those numbers, which are then skipped, never repeated. Only
// GiveBack(), for a chip that failed or was stopped, puts a number back.
class SerialCounter {
public:
    // Opens the counter file at path, making it with next = start when it is missing (a file
    // that is there keeps its own next, whatever start says). step is what next grows by. Nothing,
    // and why in error, when it cannot be made or read.
    static std::unique_ptr<SerialCounter> Open(const std::string& path, uint64_t start,
                                               uint64_t step, std::string& error);

    SerialCounter(const SerialCounter&) = delete;
    SerialCounter& operator=(const SerialCounter&) = delete;

    // The lowest free number, else next (and next grows by step). Safe from any thread.
    CounterResult Reserve();
    // The chip under a number reserved here verified: the number stays used.
    CounterResult Confirm(uint64_t number);
    // The chip under a number reserved here failed or was stopped: the next chip gets it.
    CounterResult GiveBack(uint64_t number);

    const std::string& Path() const { return path_; }

private:
    SerialCounter(std::string path, uint64_t step);

    std::string path_;
    uint64_t step_;
    std::mutex mutex_;
    std::set<uint64_t> reserved_;  // reserved here, neither confirmed nor given back
};

}  // namespace zentaro
