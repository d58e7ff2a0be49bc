// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/window_thread_panel.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "support/recording_panel.h"

namespace zentaro::test {
namespace {

// A command's loop moves the bar once per exchange; the window, serving its events all the
// while, must see only a few of those positions, then the last one, then the bar back at 0.
TEST(WindowThreadPanelTest, AWorkersProgressArrivesThrottledAndTheBarEndsAtZero) {
    constexpr int kPositions = 50000;
    RecordingPanel shown;
    QObject window;
    WindowThreadPanel panel(shown, window);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        panel.StartProgress(kPositions);
        for (int position = 1; position <= kPositions; ++position) {
            panel.SetProgressPosition(position);
        }
        panel.EndProgress();
        done = true;
    });
    while (!done) {
        QCoreApplication::processEvents();
    }
    worker.join();
    QCoreApplication::processEvents();

    const std::vector<int> positions = shown.Positions();
    EXPECT_LE(positions.size(), 6u);
    ASSERT_GE(positions.size(), 2u);
    EXPECT_EQ(positions[positions.size() - 2], kPositions);
    EXPECT_EQ(positions.back(), 0);
    EXPECT_EQ(shown.Log().back(), "cursor: 0");
}

// The window going while a command waits for an answer: the command takes No and runs on,
// and the question never reaches the window.
TEST(WindowThreadPanelTest, AQuestionAfterTheWindowHasGoneIsNoAndIsNeverShown) {
    RecordingPanel shown;
    shown.Answer(true);
    QObject window;
    WindowThreadPanel panel(shown, window);
    bool yes = true;
    std::thread worker([&] { yes = panel.AskYesNo("Proceed?", true); });
    panel.Close();
    worker.join();
    QCoreApplication::processEvents();
    EXPECT_FALSE(yes);
    EXPECT_TRUE(shown.Questions().empty());
}

}  // namespace
}  // namespace zentaro::test
