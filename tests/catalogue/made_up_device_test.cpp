// SPDX-License-Identifier: GPL-3.0-or-later
// A chip the catalogue has never heard of, described by one profile row and nothing else:
// every per-chip decision of the layers above follows from that row.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "catalogue/device_profile.h"
#include "config_bits/command_tables.h"
#include "config_bits/layouts.h"
#include "link/low_io.h"
#include "operations/boot_area.h"
#include "operations/flash_loops.h"
#include "operations/link_notices.h"
#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_port.h"

namespace zentaro {
namespace {

using ::testing::ElementsAre;
using Bytes = std::vector<uint8_t>;

// clang-format off
constexpr DeviceProfile kTesta{
    .record = {"Testa 1 BOOT", 0xE5, 4096, 256, {'B', 'B', 'B', 0}, 1, 4, 0, {1, 1, 0, 0}, 0xFFFFFFFF, 0x02, 0x04, 0x01, 0x03, {0, 0, 0, 0}},
    .layoutClass = LayoutClass::SixteenClocksBootBlock,
    .lockEncoding = LockEncoding::Bits1And0,
    .lockRead = LockReadRule::LockBits1And0,
    .bytesRead = ConfigBytesRead::LockLowHigh,
    .serialReadsByInstruction = true,
    .calibration = CalibrationSource::NoSupport,
    .boot = {BootSizeKind::HalvedByFuse, 256},
    .pageMode = true,
    .erasedByLeavingProgrammingMode = true,
};
// clang-format on

TEST(MadeUpDevice, ItsRowAloneGivesLayoutReadPlanAndBootSection) {
    const DeviceLayout layout = LayoutForDevice(kTesta);
    EXPECT_EQ(layout.layoutClass, LayoutClass::SixteenClocksBootBlock);
    EXPECT_THAT(layout.lockBytes, ElementsAre(0xFF, 0xFE, 0xFC));
    ASSERT_TRUE(layout.lockRead.has_value());
    EXPECT_EQ(layout.lockRead->byte, ConfigByte::Lock);

    EXPECT_THAT(ReadPlan(kTesta, true, 3),
                ElementsAre(ReadStep{':', {0x58, 0x00, 0x00}, ConfigByte::Lock},
                            ReadStep{':', {0x58, 0x08, 0x00}, ConfigByte::High},
                            ReadStep{':', {0x50, 0x00, 0x00}, ConfigByte::Low}));

    EXPECT_EQ(BootSizeWords(kTesta, 0x00), 256u);
    EXPECT_EQ(BootSizeWords(kTesta, 0xFE), 32u);  // only bits 2..1 count
}

// The link selects the made-up chip from its row; its erase rule and page mode follow.
TEST(MadeUpDevice, ItsRowAloneGivesTheEraseAndPageWritesOnTheLink) {
    auto scripted = std::make_unique<test::ScriptedPort>();
    test::ScriptedPort& port = *scripted;
    port.SetResponder([](const std::string&, int, const Bytes&) { return Bytes{0x0D}; });
    port.Open("COM1", 115200);
    test::RecordingPanel panel;
    test::FakeClock clock;
    CLowIO link(std::move(scripted), clock, NoticesOn(panel));
    ASSERT_TRUE(link.SelectDevice(kTesta, 0));

    port.ClearWritten();
    EXPECT_TRUE(link.ChipErase());
    EXPECT_EQ(port.Writes(), (std::vector<Bytes>{{'P'}, {'e'}, {'L'}}));

    std::vector<uint8_t> image(8, 0xFF);
    image[0] = 0x12;  // the second word of the first page stays blank
    port.ClearWritten();
    ASSERT_TRUE(WriteFlashImage(link, panel, image, 7, kTesta.record.flashPageSize));
    const auto& writes = port.Writes();
    // The blank word is written with its page, and the page is committed.
    EXPECT_EQ(std::count(writes.begin(), writes.end(), Bytes{'c', 0xFF}), 1);
    EXPECT_EQ(std::count(writes.begin(), writes.end(), Bytes{'m'}), 1);
}

}  // namespace
}  // namespace zentaro
