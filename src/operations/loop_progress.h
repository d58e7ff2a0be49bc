// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "common/panel.h"

namespace zentaro {

// The bar's range is 16 bits wide, so byte counts above 65535 are scaled down.
inline uint32_t ProgressDivisor(uint32_t total) {
    return total / 65535 + 1;
}

// The progress of the whole run of one device loop: started with its range when the loop
// starts, and ended (the bar back at 0) on every way out.
class LoopProgress {
public:
    // Counts units up to total, shown as done / divisor on a bar of total / divisor.
    LoopProgress(Panel& panel, uint32_t total, uint32_t divisor = 1);
    // For the write and verify loops: byte addresses up to last, scaled to fit the bar.
    static LoopProgress UpTo(Panel& panel, uint32_t last) {
        return LoopProgress(panel, last, ProgressDivisor(last));
    }
    ~LoopProgress();
    LoopProgress(const LoopProgress&) = delete;
    LoopProgress& operator=(const LoopProgress&) = delete;

    // Shows done units; false when the user has asked to stop, which the loops take as the
    // boundary to stop at, between two exchanges with the board.
    [[nodiscard]] bool Advance(uint32_t done);
    // The user asked to stop: a loop that failed then gives no verdict.
    [[nodiscard]] bool StopRequested() const;
    // Shows the first difference a verify found, with the bar back at 0.
    void ShowMismatch(const std::string& notice);
    // The bar back at 0 before the run ends.
    void BackToStart();

private:
    Panel& panel_;
    uint32_t total_;
    uint32_t divisor_;
};

}  // namespace zentaro
