// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "common/panel.h"
#include "link/low_io.h"

namespace zentaro {

// The operations alone on the calling thread, without a window: the link finds the board and
// the chip's flash is programmed from a HEX file and verified, as a front end without a
// window runs the command.
class PlainHost {
public:
    PlainHost(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock);

    // Finds the board, learns whether it takes blocks and tells it the benchmark chip.
    [[nodiscard]] bool Connect();
    // Erases, programs and verifies the chip's flash; true when it ended with OK.
    [[nodiscard]] bool ProgramFlash(const std::string& hexPath);

private:
    const DeviceRecord& device_;
    CLowIO link_;
    Panel& panel_;
    std::vector<uint8_t> image_;
};

}  // namespace zentaro
