// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace zentaro::cli {

// The terminal the boards share: their progress lines on stderr and the questions on stdin.
// Every call is safe from the boards' threads.
class Terminal {
public:
    struct Settings {
        bool yes = false;           // every question answered Yes
        bool askOnStdin = false;    // stdin is a terminal: questions are asked there
        bool showProgress = false;  // stderr is a terminal and the user wants progress
    };
    Terminal(Settings settings, size_t lineCount);
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    enum class Answer { Yes, No, Declined };
    // Asks on the terminal when there is one; Declined when nobody could be asked.
    Answer Ask(const std::string& prefix, const std::string& question);

    // One board's line: its label (port and status text) and where its bar stands.
    void ShowLine(size_t line, const std::string& label, int position, int max);
    // Clears the progress lines once every board has finished.
    void Finish();

private:
    void Draw(size_t line);

    Settings settings_;
    std::mutex mutex_;
    std::vector<std::string> lines_;
    bool drawn_ = false;
};

// The bar of a board's line: "[#####-----]  50%"; empty without a range.
std::string ProgressBar(int position, int max);

}  // namespace zentaro::cli
