// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "link/low_io.h"
#include "operations/link_notices.h"
#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro::test {

using Bytes = ScriptedPort::Bytes;
inline constexpr uint8_t CR = 0x0D;

// A link on a scripted port. The port starts open as after a successful scan unless the
// test asks for it closed.
class LinkTest : public ::testing::Test {
protected:
    explicit LinkTest(bool startOpen = true) {
        auto scripted = std::make_unique<ScriptedPort>();
        port = scripted.get();
        if (startOpen) {
            port->Open("COM1", 115200);
        }
        link = std::make_unique<CLowIO>(std::move(scripted), clock, NoticesOn(panel));
    }

    void Reply(Bytes bytes) { port->ReplyToNextWrite(std::move(bytes)); }

    // Puts the link into programming mode and forgets the bytes that took.
    void EnterProgMode() {
        Reply({CR});
        ASSERT_TRUE(link->EnterProgMode());
        port->ClearWritten();
    }

    // Selects a device of this width at level 0 and forgets the bytes that took.
    void SelectDevice(bool wordWide) {
        DeviceRecord record;
        record.deviceCode = 0x42;
        record.wordWideFlash = wordWide ? 1 : 0;
        record.flashSize = 4096;
        record.eepromSize = 256;
        Reply({CR});
        ASSERT_TRUE(link->SelectDevice(record, 0));
        port->ClearWritten();
    }

    ScriptedPort* port = nullptr;
    RecordingPanel panel;
    FakeClock clock;
    std::unique_ptr<CLowIO> link;
};

}  // namespace zentaro::test
