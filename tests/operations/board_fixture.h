// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/low_io.h"
#include "operations/link_notices.h"
#include "operations/memory_commands.h"
#include "operations/test_files.h"
#include "support/in_memory_board.h"
#include "support/recording_panel.h"

namespace zentaro::test {

// The commands as the window runs them: a link found by the scan, talking to the simulated
// board's state machine in memory, with time-outs and pauses in virtual time.
class BoardFixture {
public:
    // Starts the board with these options (its chip is the device the window selects) and
    // connects as the window does at start-up.
    void Connect(const std::string& chip, std::vector<std::string> options) {
        options.insert(options.begin(), {"--chip", chip});
        device = &FindDeviceByName(chip);
        ASSERT_NE(device->name, nullptr);
        board = std::make_unique<InMemoryBoard>(options);
        link = std::make_unique<CLowIO>(board->Port(), board->PauseClock(), NoticesOn(panel));
        ASSERT_TRUE(link->OpenAndScan());
        ASSERT_TRUE(link->QueryBlockSize());
        image.assign(device->flashSize, 0xFF);
    }

    CommandContext Context(const std::string& fileName) {
        return CommandContext{*link, panel, image, *device, 3, {}, fileName};
    }

    // Writes a HEX file into the scratch folder and returns its path.
    std::string Hex(const std::string& name, const std::map<uint32_t, std::vector<uint8_t>>& data) {
        const std::string path = dir.Path(name);
        WriteFile(path, HexText(data));
        return path;
    }

    TempDir dir;
    RecordingPanel panel;
    const DeviceRecord* device = nullptr;
    std::vector<uint8_t> image;
    // The board outlives the link, which closes its port first.
    std::unique_ptr<InMemoryBoard> board;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
