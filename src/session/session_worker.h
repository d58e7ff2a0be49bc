// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <stop_token>
#include <string>
#include <thread>

namespace zentaro {

// A board's own long-lived thread: it runs the work posted to it one piece at a time, in the
// order posted, while the thread that posted goes on (a window keeps serving its desktop).
// A stop for the running command goes through its session; the worker only ends its thread.
class SessionWorker {
public:
    using Work = std::function<void()>;
    // Called on the worker's thread once work has ended: fault is empty, or says why the
    // work threw. A fault ends that work only; the worker goes on with the next.
    using Finish = std::function<void(const std::string& fault)>;

    SessionWorker();
    // Work that has not started is dropped; the running work ends first.
    ~SessionWorker();
    SessionWorker(const SessionWorker&) = delete;
    SessionWorker& operator=(const SessionWorker&) = delete;

    void Post(Work work, Finish finish);
    // Work is waiting or running, or its finish has not returned yet.
    bool Busy() const;
    // Blocks until nothing is waiting or running.
    void WaitIdle() const;

private:
    struct Job {
        Work work;
        Finish finish;
    };
    void Serve(const std::stop_token& stop);

    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    std::deque<Job> jobs_;
    bool running_ = false;
    std::jthread thread_;  // last: it starts once the rest is set up
};

}  // namespace zentaro
