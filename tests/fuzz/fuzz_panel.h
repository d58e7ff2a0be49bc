// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "common/panel.h"

namespace zentaro::fuzz {

// The one window stand-in of the fuzz targets: questions get a fixed answer, notices and the
// status line are kept so that a target can tell how a command ended.
class FuzzPanel final : public Panel {
public:
    void Notice(const std::string& text) override {
        ++notices;
        lastNotice = text;
    }
    bool AskYesNo(const std::string&, bool) override { return answerYes; }
    void SetStatus(const std::string& text) override { status = text; }
    void AppendStatus(const std::string& text) override { status += text; }
    void StartStatusTimeout() override {}
    std::string Browse() override { return browseAnswer; }
    void StartProgress(int) override {}
    void SetProgressPosition(int) override {}
    void EndProgress() override {}

    void Reset() { *this = FuzzPanel{}; }

    int notices = 0;
    std::string lastNotice;
    std::string status;
    bool answerYes = false;
    std::string browseAnswer;
};

}  // namespace zentaro::fuzz
