// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/state_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "catalogue/device_table.h"
#include "support/temp_dir.h"

namespace zentaro::sim {
namespace {

class StateFile : public ::testing::Test {
protected:
    std::string Path(const char* name) const { return dir_.Path(name); }

    zentaro::test::TempDir dir_;
};

TEST_F(StateFile, RoundTripKeepsMemoriesAndConfiguration) {
    Chip chip(FindDeviceByName("Mirval 1"));
    chip.ProgramFlashByte(0, 0x0A);
    chip.ProgramFlashByte(8191, 0x00);
    chip.WriteEeprom(511, 0x0D);  // a newline-like byte at the very end
    chip.SetConfig({0xFC, 0x12, 0x34, 0x56});
    ASSERT_EQ(SaveState(Path("chip.state"), chip), "");

    Chip again(FindDeviceByName("Mirval 1"));
    bool loaded = false;
    ASSERT_EQ(LoadState(Path("chip.state"), again, &loaded), "");
    EXPECT_TRUE(loaded);
    EXPECT_EQ(again.Flash(), chip.Flash());
    EXPECT_EQ(again.Eeprom(), chip.Eeprom());
    EXPECT_EQ(again.Config().lock, 0xFC);
    EXPECT_EQ(again.Config().extendedFuse, 0x56);
    EXPECT_FALSE(again.Changed());
    EXPECT_FALSE(std::filesystem::exists(Path("chip.state.tmp")));
}

TEST_F(StateFile, MissingFileLoadsNothingWithoutError) {
    Chip chip(FindDeviceByName("Mirval 1"));
    bool loaded = true;
    EXPECT_EQ(LoadState(Path("none"), chip, &loaded), "");
    EXPECT_FALSE(loaded);
}

TEST_F(StateFile, AnotherChipsStateIsRefused) {
    ASSERT_EQ(SaveState(Path("chip.state"), Chip(FindDeviceByName("Mirval 1"))), "");
    Chip other(FindDeviceByName("Mirval 8"));
    EXPECT_EQ(
        LoadState(Path("chip.state"), other),
        "state file " + Path("chip.state") + " holds the chip \"Mirval 1\", not \"Mirval 8\"");
}

TEST_F(StateFile, DamagedFileIsRefusedAndTheChipKept) {
    Chip chip(FindDeviceByName("Mirval 1"));
    ASSERT_EQ(SaveState(Path("chip.state"), chip), "");
    std::filesystem::resize_file(Path("chip.state"), 1000);  // cut inside the flash
    chip.ProgramFlashByte(0, 0x00);
    EXPECT_NE(LoadState(Path("chip.state"), chip), "");
    EXPECT_EQ(chip.Flash()[0], 0x00);

    std::ofstream(Path("garbage")) << "zentaro-sim state 1\nchip Mirval 1\nlock ZZ\n";
    EXPECT_NE(LoadState(Path("garbage"), chip), "");
}

}  // namespace
}  // namespace zentaro::sim
