// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/codec.h"
#include "config_bits/flows.h"
#include "hostboard/host_board_fixture.h"

namespace zentaro::test {
namespace {

// The flows against the simulated board: the board's own reading of the instructions
// checks the host's.
class OptionsBoardTest : public HostBoardTest {};

TEST_F(OptionsBoardTest, SerialWriteOfEditedControlsReachesTheChipAndReadsBack) {
    Connect({"--chip", "Mirval 10", "--type", "S", "--lock", "0xFF", "--low-fuse", "0xE2",
             "--high-fuse", "0x99", "--ext-fuse", "0xFF"});
    const DeviceRecord device = FindDeviceByName("Mirval 10");
    AdvancedOptions options(*link, device, 3);
    options.Open();
    ASSERT_EQ(options.State().identifier, "MZR-SIM");
    ASSERT_EQ(options.Controls().clock.selected, 2);

    ControlState& controls = options.Controls();
    controls.clock.selected = 11;
    ClockChanged(controls, options.Layout());
    controls.startup.selected = 6;  // bit 2 travels in low bit 0
    controls.FindBox(Control::WatchdogAlwaysOnBox)->ticked = true;
    controls.blb1.selected = 2;
    controls.lock.selected = 1;
    options.Write();

    const sim::ConfigBytes written = board->Config();
    EXPECT_EQ(written.lowFuse, 0xED);
    EXPECT_EQ(written.highFuse, 0x99);
    EXPECT_EQ(written.extendedFuse, 0xFE);
    EXPECT_EQ(written.lock, 0xCE);
    EXPECT_FALSE(board->ProgrammingMode());

    AdvancedOptions reopened(*link, device, 3);
    reopened.Open();
    EXPECT_EQ(reopened.Controls().clock.selected, 11);
    EXPECT_EQ(reopened.Controls().startup.selected, 6);
    EXPECT_EQ(reopened.Controls().lock.selected, 1);
    EXPECT_FALSE(reopened.Controls().fuseGroupEnabled);
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(OptionsBoardTest, OldStyleSerialFuseWriteAndEraseOnTheBoard) {
    Connect({"--chip", "Orlan 6", "--type", "S", "--low-fuse", "0xFF"});
    AdvancedOptions options(*link, FindDeviceByName("Orlan 6"), 3);
    options.Open();
    options.Controls().clock.selected = 4;  // bits 2-0 = 100
    options.Controls().lock.selected = 2;
    options.Write();
    EXPECT_EQ(board->Config().lowFuse & 0x1F, 0x1C);
    EXPECT_EQ(board->Config().lock, 0xF9);

    options.Erase();
    EXPECT_EQ(board->Config().lock, 0xFF);
    EXPECT_EQ(options.Controls().lock.selected, 0);
    EXPECT_EQ(options.Controls().clock.selected, 4);
    EXPECT_FALSE(board->ProgrammingMode());
}

}  // namespace
}  // namespace zentaro::test
