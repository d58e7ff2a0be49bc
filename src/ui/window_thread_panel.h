// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <string>

#include "common/panel.h"

namespace zentaro {

// The window's Panel as a command running on another thread sees them. Every call
// is carried out on the window's thread: questions, notices and the file chooser block the
// command until the user has answered; status text, controls and progress are posted, so
// the link never waits for a repaint. Progress positions reach the window at most about 30 times
// a second: a loop moves the bar once per exchange, and waking the window for each would have
// it compete with the link for the processor. A position held back goes out before whatever
// the command shows next, so the bar always ends where the command left it. Called on the
// window's thread, everything goes straight through. One command thread at a time.
// Once the window is going (Close), nothing more reaches it: a question waiting for an answer
// is taken as No, and the command runs on to its end without the window.
class WindowThreadPanel final : public Panel {
public:
    // window: the object whose thread runs the window, and which outlives every posted call.
    WindowThreadPanel(Panel& panel, QObject& window);

    void Notice(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool questionIcon) override;
    bool AskBeforeHarm(const std::string& text) override;
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StartStatusTimeout() override;
    void StartProgress(int max) override;
    void SetProgressPosition(int position) override;
    void EndProgress() override;
    std::string Browse() override;
    void EnableControls(bool on) override;

    // Runs call on the window's thread and waits for it, unless the window has gone first.
    void RunOnWindow(const std::function<void()>& call);
    // Called on the window's thread as the window goes.
    void Close();

private:
    using SteadyClock = std::chrono::steady_clock;

    bool OnWindowThread() const;
    void Post(std::function<void()> call);
    void Queue(std::function<void()> call);
    void PostHeldPosition();

    Panel& panel_;
    QObject& window_;
    // Touched on the command's thread only.
    std::optional<int> heldPosition_;
    SteadyClock::time_point nextPositionPost_{};
    // The command's thread waits for an answer from the window's thread, or for Close.
    std::mutex mutex_;
    std::condition_variable answered_;
    bool answer_ = false;
    bool calling_ = false;
    bool closed_ = false;
};

}  // namespace zentaro
