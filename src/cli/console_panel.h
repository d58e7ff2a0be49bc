// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

#include "cli/terminal.h"
#include "common/panel.h"

namespace zentaro::cli {

// One board's Panel on the terminal. The texts the commands show (notices, the status line)
// reach the board's report through the session's results, printed once it finishes so that
// parallel boards never interleave; the status and the bar live on the board's progress line
// meanwhile.
class ConsolePanel final : public Panel {
public:
    ConsolePanel(Terminal& terminal, size_t line, std::string prefix);

    void Notice(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool questionIcon) override;
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StartStatusTimeout() override {}
    void StartProgress(int max) override;
    void SetProgressPosition(int position) override;
    void EndProgress() override;
    // The command line always names the file.
    std::string Browse() override { return {}; }
    bool StopRequested() const override;

    // The label of the progress line, e.g. the port once the board was found.
    void SetLabel(std::string label);
    // The questions nobody could answer, in the order they came.
    const std::vector<std::string>& Declined() const { return declined_; }

private:
    void Redraw();

    Terminal& terminal_;
    size_t line_;
    std::string prefix_;
    std::string label_;
    std::string status_;
    std::vector<std::string> declined_;
    int max_ = 0;
    int position_ = 0;
};

}  // namespace zentaro::cli
