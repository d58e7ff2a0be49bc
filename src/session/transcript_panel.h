// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <string>
#include <vector>

#include "common/panel.h"

namespace zentaro {

// The front end's Panel as a session's commands see it: everything goes through to the
// front end, and what the user was shown and answered during one command is kept for the
// command's result.
class TranscriptPanel final : public Panel {
public:
    explicit TranscriptPanel(Panel& shown) : shown_(shown) {}

    // Forgets what earlier commands showed, and any stop asked of them.
    void Clear() {
        notices.clear();
        status.clear();
        declined.clear();
        stop_ = false;
    }
    // The running command stops at its next exchange boundary; safe from any thread.
    void RequestStop() { stop_ = true; }

    void Notice(const std::string& text) override {
        notices.push_back(text);
        shown_.Notice(text);
    }
    bool AskYesNo(const std::string& text, bool questionIcon) override {
        return Answered(text, shown_.AskYesNo(text, questionIcon));
    }
    bool AskBeforeHarm(const std::string& text) override {
        return Answered(text, shown_.AskBeforeHarm(text));
    }
    void SetStatus(const std::string& text) override {
        status = text;
        shown_.SetStatus(text);
    }
    void AppendStatus(const std::string& text) override {
        status += text;
        shown_.AppendStatus(text);
    }
    void StartStatusTimeout() override { shown_.StartStatusTimeout(); }
    void StartProgress(int max) override { shown_.StartProgress(max); }
    void SetProgressPosition(int position) override { shown_.SetProgressPosition(position); }
    void EndProgress() override { shown_.EndProgress(); }
    std::string Browse() override { return shown_.Browse(); }
    bool StopRequested() const override { return stop_ || shown_.StopRequested(); }
    void EnableControls(bool on) override { shown_.EnableControls(on); }

    std::vector<std::string> notices;
    std::string status;
    std::string declined;  // the last question answered No

private:
    bool Answered(const std::string& question, bool yes) {
        if (!yes) {
            declined = question;
        }
        return yes;
    }

    Panel& shown_;
    std::atomic<bool> stop_{false};
};

}  // namespace zentaro
