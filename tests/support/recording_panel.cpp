// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/recording_panel.h"

namespace zentaro::test {

std::vector<std::string> RecordingPanel::Entries(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& entry : log_) {
        if (entry.starts_with(prefix)) {
            found.push_back(entry.substr(prefix.size()));
        }
    }
    return found;
}

std::vector<int> RecordingPanel::Positions() const {
    std::vector<int> positions;
    for (const std::string& entry : Entries("position: ")) {
        positions.push_back(std::stoi(entry));
    }
    return positions;
}

void RecordingPanel::Notice(const std::string& text) {
    log_.push_back("notice: " + text);
}

bool RecordingPanel::AskYesNo(const std::string& text, bool questionIcon) {
    log_.push_back((questionIcon ? "ask: " : "ask-plain: ") + text);
    if (answers_.empty()) {
        return false;
    }
    bool yes = answers_.front();
    answers_.pop_front();
    return yes;
}

void RecordingPanel::SetStatus(const std::string& text) {
    status_ = text;
    log_.push_back("status: " + text);
}

void RecordingPanel::AppendStatus(const std::string& text) {
    status_ += text;
    log_.push_back("append: " + text);
}

void RecordingPanel::StartStatusTimeout() {
    log_.push_back("timeout");
}

void RecordingPanel::EnableControls(bool on) {
    controlsEnabled_ = on;
    log_.push_back(on ? "enable: 1" : "enable: 0");
}

std::string RecordingPanel::Browse() {
    log_.push_back("browse");
    return browseResult_;
}

void RecordingPanel::StartProgress(int max) {
    waitCursor_ = true;
    log_.push_back("cursor: 1");
    progressMax_ = max;
    log_.push_back("range: " + std::to_string(max));
}

void RecordingPanel::SetProgressPosition(int position) {
    progressPosition_ = position;
    log_.push_back("position: " + std::to_string(position));
}

void RecordingPanel::EndProgress() {
    SetProgressPosition(0);
    waitCursor_ = false;
    log_.push_back("cursor: 0");
}

}  // namespace zentaro::test
