// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "common/panel.h"

namespace zentaro {

// A Panel with nobody to show things to: it keeps the notices and the status text for
// whoever ran the command, gives every question the same answer, browses to nothing and
// draws no progress.
class KeepingPanel final : public Panel {
public:
    explicit KeepingPanel(bool answer = false) : answer_(answer) {}

    void Notice(const std::string& text) override { notices.push_back(text); }
    bool AskYesNo(const std::string&, bool) override { return answer_; }
    void SetStatus(const std::string& text) override { status = text; }
    void AppendStatus(const std::string& text) override { status += text; }
    void StartStatusTimeout() override {}
    void StartProgress(int) override {}
    void SetProgressPosition(int) override {}
    void EndProgress() override {}
    std::string Browse() override { return {}; }

    std::string status;
    std::vector<std::string> notices;

private:
    bool answer_;
};

}  // namespace zentaro
