// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session_worker.h"

#include <exception>
#include <utility>

namespace zentaro {

SessionWorker::SessionWorker() : thread_([this](std::stop_token stop) { Serve(stop); }) {}

SessionWorker::~SessionWorker() {
    thread_.request_stop();
    thread_.join();
}

void SessionWorker::Post(Work work, Finish finish) {
    {
        const std::lock_guard lock(mutex_);
        jobs_.push_back({std::move(work), std::move(finish)});
    }
    changed_.notify_all();
}

bool SessionWorker::Busy() const {
    const std::lock_guard lock(mutex_);
    return running_ || !jobs_.empty();
}

void SessionWorker::WaitIdle() const {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return !running_ && jobs_.empty(); });
}

void SessionWorker::Serve(const std::stop_token& stop) {
    std::unique_lock lock(mutex_);
    while (changed_.wait(lock, stop, [this] { return !jobs_.empty(); }) && !stop.stop_requested()) {
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        // A fault in the work ends it like a failure: it must not end the program, and
        // whoever waits for the work must hear that it has ended.
        std::string fault;
        try {
            job.work();
        } catch (const std::exception& error) {
            fault = error.what();
        } catch (...) {
            fault = "unknown error";
        }
        if (job.finish) {
            job.finish(fault);
        }
        job = {};
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

}  // namespace zentaro
