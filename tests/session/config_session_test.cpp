// SPDX-License-Identifier: GPL-3.0-or-later
// Lock and fuse writes through the session, as both front ends make them: the window's
// controls (WriteConfig) and the command line's bytes (WriteConfigBytes).
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "catalogue/device_profile.h"
#include "config_bits/codec.h"
#include "session/session.h"
#include "support/fake_clock.h"
#include "support/in_memory_board.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro::test {
namespace {

using ::testing::HasSubstr;

// A session on the simulated board with the device selected. stopOn: the first byte of the
// write after whose answer the user asks to stop.
struct ConfigBench {
    ConfigBench(const std::string& device, const std::vector<std::string>& options,
                std::optional<uint8_t> stopOn = std::nullopt)
        : board([&] {
              std::vector<std::string> all = {"--chip", device};
              all.insert(all.end(), options.begin(), options.end());
              return all;
          }()) {
        auto scripted = std::make_unique<ScriptedPort>();
        port = scripted.get();
        port->SetResponder([this, stopOn, inner = board.Responder()](
                               const std::string& name, int baud, const ScriptedPort::Bytes& in) {
            ScriptedPort::Bytes reply = inner(name, baud, in);
            if (stopOn && !in.empty() && in[0] == *stopOn) {
                panel.RequestStop();
            }
            return reply;
        });
        session = std::make_unique<Session>(std::move(scripted), panel, clock);
        EXPECT_TRUE(session->Open("COM1").Ok());
        static_cast<void>(session->LearnBoard());
        EXPECT_TRUE(session->SelectDevice(device).Ok());
    }

    InMemoryBoard board;
    ScriptedPort* port = nullptr;
    RecordingPanel panel;
    FakeClock clock;
    std::unique_ptr<Session> session;
};

enum class FrontEnd { Window, CommandLine };

std::string Hex(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

// Writes lock FC and low fuse E2, as the window's controls or as the command line's bytes.
SessionResult WriteLockAndLow(Session& session, FrontEnd frontEnd, bool allowLockout = false) {
    const SessionResult opened = session.OpenConfig();
    if (frontEnd == FrontEnd::CommandLine) {
        return session.WriteConfigBytes({0xFC, 0xE2, std::nullopt, std::nullopt}, allowLockout);
    }
    const DeviceLayout layout = LayoutForDevice(ProfileFor(session.Device()));
    ControlState controls = opened.configState->controls;
    ApplyBytes(controls, layout, {.lock = 0xFC, .low = 0xE2, .high = 0xD9, .extended = 0xFF},
               false);
    return session.WriteConfig(controls);
}

TEST(ConfigSession, StopDuringTheFuseWritesLeavesTheLockAsItWas) {
    for (const FrontEnd frontEnd : {FrontEnd::Window, FrontEnd::CommandLine}) {
        SCOPED_TRACE(frontEnd == FrontEnd::Window ? "window" : "command line");
        ConfigBench bench("Mirval 10", {"--type", "P", "--lock", "0xFF", "--low-fuse", "0xFF"},
                          'f');
        const SessionResult written = WriteLockAndLow(*bench.session, frontEnd);
        EXPECT_EQ(written.outcome, CommandOutcome::Canceled);
        EXPECT_EQ(bench.board.Config().lowFuse, 0xE2);
        EXPECT_EQ(bench.board.Config().lock, 0xFF);
        EXPECT_FALSE(bench.board.ProgrammingMode());
    }
    // Without the stop the same write reaches the lock.
    ConfigBench bench("Mirval 10", {"--type", "P"});
    EXPECT_TRUE(WriteLockAndLow(*bench.session, FrontEnd::CommandLine).Ok());
    EXPECT_EQ(bench.board.Config().lock, 0xFC);
}

// Every box that locks the chip out, on one device of each layout class that has one: the
// window asks before anything is sent and No sends nothing; the command line refuses unless
// allowed. A write that keeps the chip within reach asks nothing.
TEST(ConfigSession, LockoutIsAskedOrRefusedBeforeAnythingIsSent) {
    std::map<LayoutClass, const char*> oneDevicePerClass;
    for (const DeviceRecord& device : DeviceTable()) {
        if (device.name != nullptr) {
            oneDevicePerClass.try_emplace(ProfileFor(device).layoutClass, device.name);
        }
    }
    int lockoutBoxes = 0;
    for (const auto& [layoutClass, name] : oneDevicePerClass) {
        const DeviceLayout layout = LayoutForDevice(ProfileFor(FindDeviceByName(name)));
        for (const BoxLayout& box : layout.boxes) {
            const std::string label = box.label;
            const bool spi = label.find("SPI") != std::string::npos;
            const bool reset = label.find("Reset Disable") != std::string::npos ||
                               label.find("RSTDISBL") != std::string::npos;
            if (!spi && !reset) {
                continue;
            }
            SCOPED_TRACE(std::string(name) + " " + label);
            ++lockoutBoxes;
            // The chip within reach: serial programming on (0), reset kept (1).
            ConfigBytes chip{.lock = 0xFF, .low = 0xFF, .high = 0xFF, .extended = 0xFF};
            if (spi) {
                chip[box.byte] = static_cast<uint8_t>(chip[box.byte] & ~(1u << box.bit));
            }
            const std::vector<std::string> options = {"--type",      "S",           "--lock",
                                                      "0xFF",        "--low-fuse",  Hex(chip.low),
                                                      "--high-fuse", Hex(chip.high)};
            ConfigBench bench(name, options);
            const SessionResult opened = bench.session->OpenConfig();
            const bool fuseWritable = FusesWritable(opened.config->rights);

            // Window: tick or untick the box as the user would.
            ControlState controls = opened.configState->controls;
            controls.FindBox(box.box)->ticked = reset;
            bench.port->ClearWritten();
            const SessionResult window = bench.session->WriteConfig(controls);
            if (fuseWritable) {
                EXPECT_EQ(window.outcome, CommandOutcome::Declined);
                ASSERT_EQ(bench.panel.Questions().size(), 1u);
                EXPECT_THAT(bench.panel.Questions()[0], HasSubstr(window.change->lockouts[0].name));
                EXPECT_TRUE(bench.port->Writes().empty());
            } else {
                EXPECT_TRUE(bench.panel.Questions().empty());
            }

            if (!fuseWritable) {
                continue;
            }
            // Command line: the byte with the bit moved, refused, then allowed.
            ConfigWrite request{};
            const size_t index = static_cast<size_t>(box.byte);
            request[index] = static_cast<uint8_t>(chip[box.byte] ^ (1u << box.bit));
            bench.port->ClearWritten();
            const SessionResult refused = bench.session->WriteConfigBytes(request, false);
            EXPECT_EQ(refused.outcome, CommandOutcome::Declined);
            EXPECT_THAT(refused.refusal, HasSubstr("--allow-lockout"));
            EXPECT_TRUE(bench.port->Writes().empty());
            EXPECT_TRUE(bench.session->WriteConfigBytes(request, true).Ok());
            EXPECT_FALSE(bench.port->Writes().empty());
        }
    }
    EXPECT_GE(lockoutBoxes, 10);

    // The same serial-programming bit on a parallel programmer, and a write that changes
    // nothing that matters, ask nothing.
    ConfigBench parallel("Mirval 10", {"--type", "P", "--high-fuse", "0xD9"});
    static_cast<void>(parallel.session->OpenConfig());
    EXPECT_TRUE(
        parallel.session->WriteConfigBytes({std::nullopt, std::nullopt, 0xF9, std::nullopt}, false)
            .Ok());
    ConfigBench serial("Mirval 10", {"--type", "S", "--high-fuse", "0xD9"});
    const SessionResult opened = serial.session->OpenConfig();
    EXPECT_EQ(serial.session->WriteConfig(opened.configState->controls).outcome,
              CommandOutcome::Ok);
    EXPECT_TRUE(serial.panel.Questions().empty());
}

}  // namespace
}  // namespace zentaro::test
