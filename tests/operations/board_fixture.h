#pragma once

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "link/low_io.h"
#include "link/posix_serial_port.h"
#include "operations/memory_commands.h"
#include "operations/test_files.h"
#include "sim/sim_server.h"
#include "support/recording_panel.h"

namespace zentaro::testing {

// The commands as the window runs them: a link on a real pty and PosixSerialPort, found by
// the scan, talking to a simulated board in a private config home.
class BoardFixture {
public:
    // Starts the board with these options (its chip is the device the window selects) and
    // connects as the window does at start-up.
    void Connect(const std::string& chip, std::vector<std::string> options) {
        options.insert(options.begin(), {"--chip", chip});
        device = &FindDeviceByName(chip);
        ASSERT_NE(device->name, nullptr);
        board = std::make_unique<sim::SimServer>(std::move(options), dir.Path("home"));
        ASSERT_TRUE(board->Start()) << board->Error();
        link = std::make_unique<CLowIO>(
            std::make_unique<PosixSerialPort>(PortNames{dir.Path("home"), {}}), panel, clock);
        ASSERT_TRUE(link->OpenAndScan());
        ASSERT_TRUE(link->QueryBlockSize());
        image.assign(device->flashSize, 0xFF);
    }

    CommandContext Context(const std::string& fileName) {
        return CommandContext{*link, panel, panel, image, *device, 3, {}, fileName};
    }

    // Writes a HEX file into the scratch folder and returns its path.
    std::string Hex(const std::string& name, const std::map<uint32_t, std::vector<uint8_t>>& data) {
        const std::string path = dir.Path(name);
        WriteText(path, HexText(data));
        return path;
    }

    ScratchDir dir;
    RecordingPanel panel;
    SystemClock clock;
    const DeviceRecord* device = nullptr;
    std::vector<uint8_t> image;
    // The board outlives the link, which closes its port first.
    std::unique_ptr<sim::SimServer> board;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::testing
