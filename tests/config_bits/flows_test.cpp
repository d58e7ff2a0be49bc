// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/flows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config_bits/codec.h"
#include "config_bits/fake_board.h"
#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro {
namespace {

using test::Commands;
using test::FakeBoard;
using Texts = std::vector<std::string>;

class FlowsTest : public ::testing::Test {
protected:
    FlowsTest() {
        auto scripted = std::make_unique<test::ScriptedPort>();
        port = scripted.get();
        port->Open("COM1", 115200);
        board.Attach(*port);
        link = std::make_unique<CLowIO>(std::move(scripted), panel, clock);
    }

    // Opens the options for the device on a board of this type and forgets the traffic.
    AdvancedOptions& Open(const char* name, char type, uint8_t level = 1) {
        board.type = type;
        device = FindDeviceByName(name);
        opened = std::make_unique<AdvancedOptions>(*link, device, level);
        opened->Open();
        port->ClearWritten();
        return *opened;
    }

    FakeBoard board;
    test::ScriptedPort* port = nullptr;
    test::RecordingPanel panel;
    test::FakeClock clock;
    std::unique_ptr<CLowIO> link;
    DeviceRecord device;
    std::unique_ptr<AdvancedOptions> opened;
};

struct ReadRow {
    const char* device;
    char type;
    uint8_t level;
    Texts commands;
};

TEST_F(FlowsTest, ReadSendsTheDeviceRowOfCommands) {
    const std::vector<ReadRow> rows = {
        {"Orlan 5", 'S', 1, {"P", "s", ":58 00 00", ":50 00 00", "L"}},
        {"Orlan 5", 'P', 1, {"P", "s", "r", "F", "L"}},
        {"Sarko 3", 'S', 1, {"P", "s", ":38 00 00", ":58 00 00", ":50 00 00", "L"}},
        {"Mirval 2", 'P', 1, {"P", "s", "h", "r", "F", "L"}},
        {"Mirval 1", 'S', 1, {"P", "s", ":38 00 00", ":58 00 00", ":58 08 00", ":50 00 00", "L"}},
        {"Sarko 7", 'P', 1, {"P", "s", "h", "r", "F", "N", "L"}},
        {"Mirval 3 BOOT", 'S', 0xFF, {"P", "s", "r", "F", "N", "L"}},
        {"Mirval 9 BOOT", 'S', 0xFF, {"P", "s", "r", "F", "N", "L"}},
        {"Mirval 8 BOOT", 'S', 0xFF, {"P", "s", "r", "F", "N", "L"}},
        {"Mirval 10",
         'S',
         3,
         {"P", "s", ":38 00 00", ":58 00 00", ":58 08 00", ":50 08 00", ":50 00 00", "L"}},
        {"Mirval 10", 'P', 3, {"P", "s", "h", "r", "F", "N", "Q", "L"}},
        {"Mirval 10 BOOT", 'S', 0xFF, {"P", "s", "r", "F", "N", "Q", "L"}},
        {"Orlan 3", 'S', 1, {"P", "s", ":58 00 00", "L"}},
        {"Orlan 3", 'P', 1, {"P", "s", "r", "L"}},
        {"Orlan 3", 'P', 0, {"P", "s", "F", "L"}},
        {"Sarko 2", 'P', 1, {"P", "s", "r", "F", "L"}},
        {"Orlan 12", 'P', 5, {"P", "s", "r", "F", "L"}},
        {"Orlan 1", 'S', 0, {"P", "s", "F", "L"}},
        {"Orlan 1 rev. A", 'P', 0xFE, {"P", "s", "r", "L"}},
    };
    for (const ReadRow& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.device << " " << row.type);
        AdvancedOptions& options = Open(row.device, row.type, row.level);
        options.Read();
        EXPECT_EQ(Commands(*port), row.commands);
        EXPECT_FALSE(link->InProgMode());
        EXPECT_TRUE(options.State().readEnabled);
    }
}

TEST_F(FlowsTest, SignatureShownLastByteFirstOrQuestionMarks) {
    EXPECT_EQ(Open("Mirval 4", 'S').State().signature, "02 97 1E");
    board.signatureSilent = true;
    EXPECT_EQ(Open("Mirval 4", 'S').State().signature, "?? ?? ??");
}

TEST_F(FlowsTest, CalibrationByteByDeviceAndBoardType) {
    EXPECT_EQ(Open("Mirval 8", 'S').State().calibration, "0xA7");
    board.calibration = 0x05;
    EXPECT_EQ(Open("Sarko 6", 'P').State().calibration, "0x05");
    EXPECT_EQ(Open("Mirval 5 BOOT", 'S').State().calibration, "No_support");
    EXPECT_EQ(Open("Orlan 6", 'S').State().calibration, "");
    EXPECT_EQ(Open("Mirval 3 BOOT", 'S').State().calibration, "");
    board.calibrationSilent = true;
    EXPECT_EQ(Open("Mirval 9", 'P').State().calibration, "No_support");
}

TEST_F(FlowsTest, OpenShowsBoardIdentityAndReadsWhenAllowed) {
    board.type = 'S';
    device = FindDeviceByName("Mirval 4");
    AdvancedOptions options(*link, device, 1);
    options.Open();
    EXPECT_EQ(Commands(*port), (Texts{"S", "V", "p", "P", "s", ":38 00 00", ":58 00 00",
                                      ":58 08 00", ":50 00 00", "L"}));
    EXPECT_EQ(options.State().identifier, "MZR1.35");
    EXPECT_EQ(options.State().version, "3.5");
    EXPECT_FALSE(options.FusesDenied() || options.LocksDenied());
}

TEST_F(FlowsTest, ReadingDeniedShowsTheSignatureOnly) {
    // Dunmor 1: no type may read, only the parallel type may write the lock.
    AdvancedOptions& options = Open("Dunmor 1", 'P', 0xFE);
    const AdvancedState& state = options.State();
    EXPECT_FALSE(state.readEnabled);
    EXPECT_EQ(state.signature, "02 97 1E");
    EXPECT_TRUE(options.FusesDenied());
    EXPECT_FALSE(options.LocksDenied());
    EXPECT_TRUE(state.writeEnabled);
    EXPECT_FALSE(state.controls.fuseGroupEnabled);
    EXPECT_FALSE(link->InProgMode());
}

TEST_F(FlowsTest, EverythingDeniedDisablesLockControlsAndWrite) {
    AdvancedOptions& options = Open("Orlan 1 rev. A", 'S', 0xFE);
    const AdvancedState& state = options.State();
    EXPECT_TRUE(options.FusesDenied() && options.LocksDenied());
    EXPECT_FALSE(state.readEnabled || state.writeEnabled);
    EXPECT_FALSE(state.controls.lock.enabled || state.controls.lockGroupEnabled ||
                 state.controls.lockDescriptionEnabled);
}

TEST_F(FlowsTest, BoardWithoutTypeGetsOnlyWhatBothTypesMay) {
    board.typeSilent = true;
    AdvancedOptions& options = Open("Orlan 2", 'S');  // fuse 'P', lock 'B', read 'P'
    EXPECT_TRUE(options.FusesDenied());
    EXPECT_FALSE(options.LocksDenied());
    EXPECT_FALSE(options.State().readEnabled);

    // NUL support bytes deny even a board whose type stayed unknown.
    AdvancedOptions& dunmor = Open("Dunmor 1", 'S', 0xFE);  // 0x00 'P' 0x00
    EXPECT_TRUE(dunmor.FusesDenied() && dunmor.LocksDenied());
    EXPECT_FALSE(dunmor.State().readEnabled || dunmor.State().writeEnabled);
}

TEST_F(FlowsTest, SerialOldStyleLowFuseCarriesFiveBitsInTheInstruction) {
    AdvancedOptions& options = Open("Orlan 3", 'S');  // K2: SPI bit 5, clock bit 0
    ControlState& controls = options.Controls();
    controls.boxes[0].ticked = true;
    controls.clock.selected = 0;
    controls.lock.selected = 0;
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ":AC BE 00", "l FF", "L"}));
}

TEST_F(FlowsTest, SerialLowFuseOfOrlan6LeavesProgrammingModeRightAfter) {
    board.low = 0xE4;
    AdvancedOptions& options = Open("Orlan 6", 'S');
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ":AC A4 00", "L", "P", "l FF", "L"}));
}

TEST_F(FlowsTest, SerialWritesOfNewerDevicesGoThroughFiveByteInstructions) {
    board.lock = 0xFF;
    board.low = 0xE1;
    board.high = 0x99;
    board.extended = 0xFD;
    AdvancedOptions& options = Open("Mirval 10", 'S', 3);
    options.Controls().lock.selected = 1;
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ".AC A0 00 E1", "L", "P", ".AC A8 00 99", "L", "P",
                                      ".AC A4 00 FD", "L", "P", ".AC E0 00 FE", "L", "L"}));
    EXPECT_EQ(board.lock, 0xFE);
}

TEST_F(FlowsTest, AStopDuringTheFusesKeepsTheLockAsItWas) {
    board.low = 0xE1;
    board.high = 0x99;
    board.extended = 0xFD;
    AdvancedOptions& options = Open("Mirval 10", 'S', 3);
    options.Controls().lock.selected = 1;
    panel.RequestStop();
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ".AC A0 00 E1", "L", "P", ".AC A8 00 99", "L", "P",
                                      ".AC A4 00 FD", "L", "L"}));
    EXPECT_EQ(board.lock, 0xFF);
}

TEST_F(FlowsTest, FuseAccessDeniedStillSendsTheLockByte) {
    AdvancedOptions& options = Open("Orlan 1", 'S', 0);  // fuse 'P': denied on the serial type
    ASSERT_TRUE(options.FusesDenied());
    options.Controls().lock.selected = 2;
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", "l F9", "L"}));

    AdvancedOptions& orlan11 = Open("Orlan 11", 'P');  // fuse '0': never
    orlan11.Controls().lock.selected = 1;
    orlan11.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", "l FD", "L"}));
}

TEST_F(FlowsTest, LockByteIsSentEvenWhenLockAccessIsDenied) {
    DeviceRecord fusesOnly = FindDeviceByName("Mirval 4");
    fusesOnly.interfaceSupport[1] = 'P';
    AdvancedOptions options(*link, fusesOnly, 1);
    options.Open();
    ASSERT_TRUE(options.LocksDenied() && !options.FusesDenied());
    port->ClearWritten();
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ".AC A0 00 FF", "L", "P", ".AC A8 00 FF", "L", "P",
                                      ".AC E0 00 FF", "L", "L"}));
}

TEST_F(FlowsTest, WritingALockModeBeyondOneDisablesTheFuseControls) {
    AdvancedOptions& options = Open("Mirval 9", 'S');
    ControlState& controls = options.Controls();
    ASSERT_TRUE(controls.fuseGroupEnabled && controls.clock.enabled);
    options.Write();  // mode 1: nothing changes
    EXPECT_TRUE(controls.fuseGroupEnabled && controls.clock.enabled);
    controls.lock.selected = 1;
    options.Write();
    EXPECT_FALSE(controls.fuseGroupEnabled || controls.clock.enabled || controls.startup.enabled ||
                 controls.boxes[0].enabled);
    EXPECT_TRUE(options.State().writeEnabled);
    EXPECT_FALSE(link->InProgMode());
}

TEST_F(FlowsTest, EraseRunsTheReadWhenReadingIsAllowed) {
    board.lock = 0xFC;
    AdvancedOptions& options = Open("Sarko 7", 'P');
    ASSERT_EQ(options.Controls().lock.selected, 2);
    options.Erase();
    EXPECT_EQ(Commands(*port), (Texts{"P", "e", "s", "h", "r", "F", "N", "L"}));
    EXPECT_EQ(options.Controls().lock.selected, 0);
    EXPECT_TRUE(options.Controls().clock.enabled);
    EXPECT_TRUE(options.State().eraseEnabled && options.State().readEnabled);

    Open("Dunmor 2", 'P', 0xFE).Erase();
    EXPECT_EQ(Commands(*port), (Texts{"P", "e", "L"}));
}

}  // namespace
}  // namespace zentaro
