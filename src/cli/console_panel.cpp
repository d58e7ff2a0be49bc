// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/console_panel.h"

#include "cli/interrupt.h"

namespace zentaro::cli {

ConsolePanel::ConsolePanel(Terminal& terminal, size_t line, std::string prefix)
    : terminal_(terminal), line_(line), prefix_(std::move(prefix)) {}

bool ConsolePanel::StopRequested() const {
    return Interrupted();
}

// Notices reach the report through the command's result, printed once the board is done.
void ConsolePanel::Notice(const std::string&) {}

bool ConsolePanel::AskYesNo(const std::string& text, bool) {
    switch (terminal_.Ask(prefix_, text)) {
        case Terminal::Answer::Yes:
            return true;
        case Terminal::Answer::No:
            return false;
        case Terminal::Answer::Declined:
            declined_.push_back(text);
            return false;
    }
    return false;
}

void ConsolePanel::SetStatus(const std::string& text) {
    status_ = text;
    Redraw();
}

void ConsolePanel::AppendStatus(const std::string& text) {
    status_ += text;
    Redraw();
}

void ConsolePanel::StartProgress(int max) {
    max_ = max;
    position_ = 0;
    Redraw();
}

void ConsolePanel::SetProgressPosition(int position) {
    position_ = position;
    Redraw();
}

void ConsolePanel::EndProgress() {
    max_ = 0;
    position_ = 0;
    Redraw();
}

void ConsolePanel::SetLabel(std::string label) {
    label_ = std::move(label);
    Redraw();
}

void ConsolePanel::Redraw() {
    terminal_.ShowLine(line_, label_ + " " + status_, position_, max_);
}

}  // namespace zentaro::cli
