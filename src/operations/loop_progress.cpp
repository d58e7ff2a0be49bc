// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/loop_progress.h"

#include <algorithm>

namespace zentaro {

LoopProgress::LoopProgress(Panel& panel, uint32_t total, uint32_t divisor)
    : panel_(panel), total_(total), divisor_(std::max<uint32_t>(divisor, 1)) {
    panel_.StartProgress(static_cast<int>(total_ / divisor_));
}

LoopProgress::~LoopProgress() {
    panel_.EndProgress();
}

bool LoopProgress::Advance(uint32_t done) {
    // The address after the last one, or after a whole block, lies past the end of the range.
    panel_.SetProgressPosition(static_cast<int>(std::min(done, total_) / divisor_));
    return !panel_.StopRequested();
}

bool LoopProgress::StopRequested() const {
    return panel_.StopRequested();
}

void LoopProgress::ShowMismatch(const std::string& notice) {
    BackToStart();
    panel_.Notice(notice);
}

void LoopProgress::BackToStart() {
    panel_.SetProgressPosition(0);
}

}  // namespace zentaro
