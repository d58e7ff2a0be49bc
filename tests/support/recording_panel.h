// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "common/panel.h"

namespace zentaro::test {

// A Panel that answers questions from a script and logs everything
// shown, in order, as "notice: <text>", "ask: <text>" (question icon) or "ask-plain: <text>",
// "status: <text>", "append: <text>", "timeout", "enable: 0|1", "browse",
// "range: <max>", "position: <pos>", "cursor: 0|1" (a started progress logs "cursor: 1" and its
// range, an ended one "position: 0" and "cursor: 0", as the window's wait cursor follows it).
class RecordingPanel : public Panel {
public:
    // Answers for the next questions, in order. An unscripted question is answered No.
    void Answer(bool yes) { answers_.push_back(yes); }
    // What Browse returns.
    void SetBrowseResult(std::string path) { browseResult_ = std::move(path); }
    // From now on StopRequested() is true, as after the user's Esc.
    void RequestStop() { stopRequested_ = true; }

    const std::vector<std::string>& Log() const { return log_; }
    std::vector<std::string> Notices() const { return Entries("notice: "); }
    std::vector<std::string> Questions() const { return Entries("ask: "); }
    std::vector<int> Positions() const;
    const std::string& Status() const { return status_; }
    bool ControlsEnabled() const { return controlsEnabled_; }
    bool WaitCursor() const { return waitCursor_; }
    int ProgressMax() const { return progressMax_; }
    int ProgressPosition() const { return progressPosition_; }
    void ClearLog() { log_.clear(); }

    void Notice(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool questionIcon) override;
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StartStatusTimeout() override;
    void EnableControls(bool on) override;
    std::string Browse() override;
    void StartProgress(int max) override;
    void SetProgressPosition(int position) override;
    void EndProgress() override;
    bool StopRequested() const override { return stopRequested_; }

private:
    std::vector<std::string> Entries(const std::string& prefix) const;

    std::vector<std::string> log_;
    std::deque<bool> answers_;
    std::string browseResult_;
    std::string status_;
    bool controlsEnabled_ = true;
    bool waitCursor_ = false;
    int progressMax_ = 0;
    int progressPosition_ = 0;
    bool stopRequested_ = false;
};

}  // namespace zentaro::test
