// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_thread_panel.h"

#include <QThread>

namespace zentaro {

namespace {

// About 30 updates a second: the bar still moves smoothly to the eye.
constexpr std::chrono::milliseconds kPositionInterval{33};

}  // namespace

WindowThreadPanel::WindowThreadPanel(Panel& panel, QObject& window)
    : panel_(panel), window_(window) {}

bool WindowThreadPanel::OnWindowThread() const {
    return QThread::currentThread() == window_.thread();
}

void WindowThreadPanel::Post(std::function<void()> call) {
    if (OnWindowThread()) {
        call();
        return;
    }
    PostHeldPosition();
    Queue(std::move(call));
}

void WindowThreadPanel::RunOnWindow(const std::function<void()>& call) {
    if (OnWindowThread()) {
        call();
        return;
    }
    PostHeldPosition();
    std::unique_lock lock(mutex_);
    if (closed_) {
        return;
    }
    answer_ = false;
    // call lives on this thread's stack: once the window has gone it is never started, and
    // one that has started is waited for to the end.
    Queue([this, &call] {
        {
            const std::lock_guard windowLock(mutex_);
            if (closed_) {
                return;
            }
            calling_ = true;
        }
        call();
        {
            const std::lock_guard windowLock(mutex_);
            calling_ = false;
            answer_ = true;
        }
        answered_.notify_all();
    });
    answered_.wait(lock, [this] { return answer_ || (closed_ && !calling_); });
}

void WindowThreadPanel::Close() {
    {
        const std::lock_guard lock(mutex_);
        closed_ = true;
    }
    answered_.notify_all();
}

void WindowThreadPanel::Queue(std::function<void()> call) {
    // Posted calls to one object run in the order they were posted, before any later
    // blocking call: a question always finds the status text that came before it.
    QMetaObject::invokeMethod(&window_, std::move(call), Qt::QueuedConnection);
}

void WindowThreadPanel::PostHeldPosition() {
    if (heldPosition_) {
        Queue([this, position = *heldPosition_] { panel_.SetProgressPosition(position); });
        heldPosition_.reset();
    }
}

void WindowThreadPanel::Notice(const std::string& text) {
    RunOnWindow([&] { panel_.Notice(text); });
}

bool WindowThreadPanel::AskYesNo(const std::string& text, bool questionIcon) {
    bool yes = false;
    RunOnWindow([&] { yes = panel_.AskYesNo(text, questionIcon); });
    return yes;
}

bool WindowThreadPanel::AskBeforeHarm(const std::string& text) {
    bool yes = false;
    RunOnWindow([&] { yes = panel_.AskBeforeHarm(text); });
    return yes;
}

std::string WindowThreadPanel::Browse() {
    std::string path;
    RunOnWindow([&] { path = panel_.Browse(); });
    return path;
}

void WindowThreadPanel::SetStatus(const std::string& text) {
    Post([this, text] { panel_.SetStatus(text); });
}

void WindowThreadPanel::AppendStatus(const std::string& text) {
    Post([this, text] { panel_.AppendStatus(text); });
}

void WindowThreadPanel::StartStatusTimeout() {
    Post([this] { panel_.StartStatusTimeout(); });
}

void WindowThreadPanel::StartProgress(int max) {
    Post([this, max] { panel_.StartProgress(max); });
}

void WindowThreadPanel::SetProgressPosition(int position) {
    if (OnWindowThread()) {
        panel_.SetProgressPosition(position);
        return;
    }
    heldPosition_ = position;
    const SteadyClock::time_point now = SteadyClock::now();
    if (now >= nextPositionPost_) {
        nextPositionPost_ = now + kPositionInterval;
        PostHeldPosition();
    }
}

void WindowThreadPanel::EndProgress() {
    Post([this] { panel_.EndProgress(); });
}

void WindowThreadPanel::EnableControls(bool on) {
    Post([this, on] { panel_.EnableControls(on); });
}

}  // namespace zentaro
