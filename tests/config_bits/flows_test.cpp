// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/flows.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "config_bits/codec.h"
#include "support/scripted_link.h"

namespace zentaro {
namespace {

using test::Commands;
using Texts = std::vector<std::string>;

class FlowsTest : public ::testing::Test {
protected:
    // Fits the device's chip on a board of this type (with more zentaro-sim options), opens
    // the options for it and forgets the traffic.
    AdvancedOptions& Open(const char* name, char type, uint8_t level = 1,
                          const std::vector<std::string>& more = {}) {
        Fit(name, type, more);
        device = FindDeviceByName(name);
        opened = std::make_unique<AdvancedOptions>(
            *link, device, level, [this] { return scripted->panel.StopRequested(); });
        opened->Open();
        port->ClearWritten();
        return *opened;
    }

    // A board of this type with the chip fitted, and more options.
    void Fit(const char* chip, char type, const std::vector<std::string>& more = {}) {
        std::vector<std::string> options = {"--chip", chip, "--type", std::string(1, type)};
        options.insert(options.end(), more.begin(), more.end());
        opened.reset();
        scripted = std::make_unique<test::ScriptedLink>(options);
        link = scripted->link.get();
        port = scripted->port;
    }
    test::InMemoryBoard& Board() const { return scripted->board; }

    std::unique_ptr<test::ScriptedLink> scripted;
    CLowIO* link = nullptr;
    test::ScriptedPort* port = nullptr;
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
    // The chip keeps 5A 0E 64 (maker, size class, code) and sends it last byte first.
    EXPECT_EQ(Open("Mirval 4", 'S').State().signature, "5A 0E 64");
    EXPECT_EQ(Open("Mirval 4", 'S', 1, {"--fault", "drop:s"}).State().signature, "?? ?? ??");
}

TEST_F(FlowsTest, CalibrationByteByDeviceAndBoardType) {
    EXPECT_EQ(Open("Mirval 8", 'S').State().calibration, "0xA7");
    EXPECT_EQ(Open("Sarko 6", 'P', 1, {"--calibration", "0x05"}).State().calibration, "0x05");
    EXPECT_EQ(Open("Mirval 5 BOOT", 'S').State().calibration, "No_support");
    EXPECT_EQ(Open("Orlan 6", 'S').State().calibration, "");
    EXPECT_EQ(Open("Mirval 3 BOOT", 'S').State().calibration, "");
    EXPECT_EQ(Open("Mirval 9", 'P', 1, {"--fault", "drop:h"}).State().calibration, "No_support");
}

TEST_F(FlowsTest, OpenShowsBoardIdentityAndReadsWhenAllowed) {
    Fit("Mirval 4", 'S');
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
    EXPECT_EQ(state.signature, "5A 0A 80");
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
    // fuse 'P', lock 'B', read 'P'
    AdvancedOptions& options = Open("Orlan 2", 'S', 1, {"--fault", "drop:p"});
    EXPECT_TRUE(options.FusesDenied());
    EXPECT_FALSE(options.LocksDenied());
    EXPECT_FALSE(options.State().readEnabled);

    // NUL support bytes deny even a board whose type stayed unknown.
    AdvancedOptions& dunmor = Open("Dunmor 1", 'S', 0xFE, {"--fault", "drop:p"});  // 0x00 'P' 0x00
    EXPECT_TRUE(dunmor.FusesDenied() && dunmor.LocksDenied());
    EXPECT_FALSE(dunmor.State().readEnabled || dunmor.State().writeEnabled);
}

TEST_F(FlowsTest, SerialOldStyleLowFuseCarriesFiveBitsInTheInstruction) {
    AdvancedOptions& options = Open("Orlan 3", 'S');  // SpiAndClockBit: SPI bit 5, clock bit 0
    ControlState& controls = options.Controls();
    controls.boxes[0].ticked = true;
    controls.clock.selected = 0;
    controls.lock.selected = 0;
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ":AC BE 00", "l FF", "L"}));
}

TEST_F(FlowsTest, SerialLowFuseOfOrlan6LeavesProgrammingModeRightAfter) {
    AdvancedOptions& options = Open("Orlan 6", 'S', 1, {"--low-fuse", "0xE4"});
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ":AC A4 00", "L", "P", "l FF", "L"}));
}

TEST_F(FlowsTest, SerialWritesOfNewerDevicesGoThroughFiveByteInstructions) {
    AdvancedOptions& options =
        Open("Mirval 10", 'S', 3,
             {"--lock", "0xFF", "--low-fuse", "0xE1", "--high-fuse", "0x99", "--ext-fuse", "0xFD"});
    options.Controls().lock.selected = 1;
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ".AC A0 00 E1", "L", "P", ".AC A8 00 99", "L", "P",
                                      ".AC A4 00 FD", "L", "P", ".AC E0 00 FE", "L", "L"}));
    EXPECT_EQ(Board().Config().lock, 0xFE);
}

TEST_F(FlowsTest, AStopDuringTheFusesKeepsTheLockAsItWas) {
    AdvancedOptions& options =
        Open("Mirval 10", 'S', 3,
             {"--lock", "0xFF", "--low-fuse", "0xE1", "--high-fuse", "0x99", "--ext-fuse", "0xFD"});
    options.Controls().lock.selected = 1;
    scripted->panel.RequestStop();
    options.Write();
    EXPECT_EQ(Commands(*port), (Texts{"P", ".AC A0 00 E1", "L", "P", ".AC A8 00 99", "L", "P",
                                      ".AC A4 00 FD", "L", "L"}));
    EXPECT_EQ(Board().Config().lock, 0xFF);
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
    Fit("Mirval 4", 'S', {"--low-fuse", "0xFF", "--high-fuse", "0xFF"});
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
    AdvancedOptions& options = Open("Sarko 7", 'P', 1, {"--lock", "0xFC"});
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
