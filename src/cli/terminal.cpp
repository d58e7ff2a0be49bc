// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/terminal.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

namespace zentaro::cli {

namespace {

constexpr int kBarWidth = 30;

}  // namespace

std::string ProgressBar(int position, int max) {
    if (max <= 0) {
        return {};
    }
    const long clamped = std::clamp(position, 0, max);
    const long filled = clamped * kBarWidth / max;
    const long percent = clamped * 100 / max;
    char bar[64];
    std::snprintf(bar, sizeof bar, "[%s%s] %3ld%%",
                  std::string(static_cast<size_t>(filled), '#').c_str(),
                  std::string(static_cast<size_t>(kBarWidth - filled), '-').c_str(), percent);
    return bar;
}

Terminal::Terminal(Settings settings, size_t lineCount) : settings_(settings), lines_(lineCount) {}

Terminal::Answer Terminal::Ask(const std::string& prefix, const std::string& question) {
    if (settings_.yes) {
        return Answer::Yes;
    }
    if (!settings_.askOnStdin) {
        return Answer::Declined;
    }
    const std::lock_guard lock(mutex_);
    std::fprintf(stderr, "%s%s [y/N] ", prefix.c_str(), question.c_str());
    std::fflush(stderr);
    std::string reply;
    std::getline(std::cin, reply);
    if (drawn_) {
        for (size_t i = 0; i < lines_.size(); ++i) {
            std::fputc('\n', stderr);
        }
        for (size_t i = 0; i < lines_.size(); ++i) {
            Draw(i);
        }
    }
    return reply == "y" || reply == "Y" || reply == "yes" || reply == "Yes" ? Answer::Yes
                                                                            : Answer::No;
}

void Terminal::ShowLine(size_t line, const std::string& label, int position, int max) {
    if (!settings_.showProgress || line >= lines_.size()) {
        return;
    }
    std::string text = label;
    const std::string bar = ProgressBar(position, max);
    if (!bar.empty()) {
        text += " " + bar;
    }
    const std::lock_guard lock(mutex_);
    if (lines_[line] == text) {
        return;
    }
    lines_[line] = std::move(text);
    if (!drawn_) {
        // Room for every board's line, drawn in place from now on.
        for (size_t i = 0; i < lines_.size(); ++i) {
            std::fputc('\n', stderr);
        }
        drawn_ = true;
    }
    Draw(line);
}

// The cursor rests below the last line; a line is reached by going up and back down.
void Terminal::Draw(size_t line) {
    const size_t up = lines_.size() - line;
    std::fprintf(stderr, "\x1b[%zuA\r%s\x1b[K\x1b[%zuB\r", up, lines_[line].c_str(), up);
    std::fflush(stderr);
}

void Terminal::Finish() {
    const std::lock_guard lock(mutex_);
    if (drawn_) {
        // The lines give way to the results printed next.
        std::fprintf(stderr, "\x1b[%zuA\r\x1b[J", lines_.size());
        std::fflush(stderr);
    }
    drawn_ = false;
}

}  // namespace zentaro::cli
