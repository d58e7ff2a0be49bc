// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <array>

#include "host_board_fixture.h"

namespace zentaro::test {
namespace {

TEST_F(HostBoardTest, ListTypeBoardWithOneCode) {
    Connect({"--devices", "0x13", "--chip", "Orlan 1", "--auto-increment", "N"});
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-SIM");
    EXPECT_FALSE(link->AutoIncrement());
    BoardProtocol::ListBuffer codes{};
    ASSERT_TRUE(link->wire().ReadSupportedDevices(codes));
    EXPECT_EQ(codes[0], 0x13);
    EXPECT_EQ(codes[1], 0x00);
    ASSERT_TRUE(link->SelectDevice(FindDeviceByName("Orlan 1"), 0));
    EXPECT_EQ(board->SelectedDeviceCode(), 0x13);
}

TEST_F(HostBoardTest, ListTypeBoardWithSeveralCodesAndAnOverlongList) {
    std::string list = "0x13,0x20,0x48";
    for (int code = 0x50; code < 0x66; ++code) {
        list += "," + std::to_string(code);
    }
    Connect({"--devices", list});
    BoardProtocol::ListBuffer codes{};
    ASSERT_TRUE(link->wire().ReadSupportedDevices(codes));
    EXPECT_EQ(codes[0], 0x13);
    EXPECT_EQ(codes[1], 0x20);
    EXPECT_EQ(codes[2], 0x48);
    EXPECT_EQ(codes[19], 0x60);  // cut at twenty bytes ...
    char type = 0;
    ASSERT_TRUE(link->wire().ReadProgrammerType(type));  // ... and the rest does not linger
    EXPECT_EQ(type, 'S');
}

class LevelBoardTest : public HostBoardTest, public ::testing::WithParamInterface<int> {};

TEST_P(LevelBoardTest, ModesLevelBlockSizeAndTheSelectBlockOfThatLevel) {
    const std::string level = std::to_string(GetParam());
    Connect({"--modes", "SP", "--level", level, "--block-size", "128"});
    BoardProtocol::ListBuffer reply{};
    ASSERT_TRUE(link->wire().ReadSupportedDevices(reply));
    EXPECT_EQ(reply[0], 0x00);
    ASSERT_TRUE(link->wire().ReadProgrammerModes(reply));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data())), "SP");
    ASSERT_TRUE(link->wire().SetProgrammerMode('P'));
    EXPECT_EQ(board->ProgrammerMode(), 'P');
    EXPECT_FALSE(link->wire().SetProgrammerMode('X'));
    EXPECT_EQ(link->wire().ReadProgrammerLevel(), GetParam());
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 128u);

    ASSERT_TRUE(
        link->SelectDevice(FindDeviceByName("Mirval 10"), static_cast<uint8_t>(GetParam())));
    EXPECT_EQ(board->SelectedDeviceCode(), 0x43);
    EXPECT_EQ(link->FlashSize(), 131072u);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelBoardTest, ::testing::Values(1, 2, 4, 5, 63));

// Every field differs from its neighbours, so that a field sent in the wrong place or order
// shows in the board's reading of the block.
DeviceRecord DistinctRecord() {
    DeviceRecord record = FindDeviceByName("Sarko 7");
    record.programmerFlags = {1, 0, 1, 0};
    record.flashPageSize = 0x0120;
    record.programmerParams = 0x11223344;
    record.pageWords = 0x55;
    record.targetParam = 0x66;
    record.flashSize = 0x00012345;
    record.eepromSize = 0x0789;
    record.eepromPageSize = 0x0A0B;
    record.extFlags = {0x01, 0xEE, 0x07, 0x08};
    return record;
}

TEST_P(LevelBoardTest, BoardReadsEveryFieldOfTheSelectBlockOfThatLevel) {
    const auto level = static_cast<uint8_t>(GetParam());
    Connect({"--level", std::to_string(level)});
    const DeviceRecord record = DistinctRecord();
    ASSERT_TRUE(link->SelectDevice(record, level));

    const sim::SelectBlock read = board->LastSelect();
    EXPECT_EQ(read.deviceCode, record.deviceCode);
    EXPECT_EQ(read.version, level >= 2 ? std::min<uint8_t>(level, 5) : 0);
    EXPECT_EQ(read.programmerFlags, (std::array<uint8_t, 3>{1, 0, 1}));
    EXPECT_EQ(read.flashPageSize, record.flashPageSize);
    EXPECT_EQ(read.programmerParams, record.programmerParams);
    EXPECT_EQ(read.pageWords, record.pageWords);
    EXPECT_EQ(read.targetParam, record.targetParam);
    EXPECT_EQ(read.flashSize, record.flashSize);
    EXPECT_EQ(read.eepromSize, record.eepromSize);
    EXPECT_EQ(read.eepromPageSize, level >= 2 ? record.eepromPageSize : 0u);
    EXPECT_EQ(read.extension, level >= 5 ? record.extFlags[1] : 0);
    char type = 0;
    EXPECT_TRUE(link->wire().ReadProgrammerType(type));  // the board took exactly the block
}

TEST_F(HostBoardTest, ListTypeBoardReadsOnlyTheCode) {
    Connect({"--devices", "0x5E,0x13"});
    ASSERT_TRUE(link->SelectDevice(DistinctRecord(), 0));
    EXPECT_EQ(board->LastSelect().deviceCode, 0x5E);
    EXPECT_EQ(board->LastSelect().flashSize, 0u);
    char type = 0;
    EXPECT_TRUE(link->wire().ReadProgrammerType(type));
}

TEST_F(HostBoardTest, BoardWithoutBlockTransfers) {
    Connect({"--block-size", "0"});
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 0u);
}

TEST_F(HostBoardTest, UpgradeModeBoardIsFoundByTheUpgradeSteps) {
    Connect({"--upgrade-mode", "--baud", "38400", "--id", "MZR-UPG"});
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-UPG");
    EXPECT_FALSE(link->AutoIncrement());  // the board answers nothing else
}

TEST_F(HostBoardTest, UpgradeModeIsNotTriedAt115200) {
    StartBoard({"--upgrade-mode", "--baud", "115200"});
    EXPECT_FALSE(link->OpenAndScan());
    EXPECT_FALSE(link->IsOpen());
}

TEST_F(HostBoardTest, SilentBoardIsNotFound) {
    StartBoard({"--fault", "drop:S"});
    EXPECT_FALSE(link->OpenAndScan());
    EXPECT_FALSE(link->IsOpen());
}

TEST_F(HostBoardTest, ProgrammingModeLampsAndExit) {
    Connect({});
    ASSERT_TRUE(link->EnterProgMode());
    EXPECT_TRUE(board->ProgrammingMode());
    ASSERT_TRUE(link->LeaveProgMode());
    EXPECT_FALSE(board->ProgrammingMode());
    ASSERT_TRUE(link->EnterProgMode());
    ASSERT_TRUE(link->ExitProgramming());
    EXPECT_FALSE(board->ProgrammingMode());

    ASSERT_TRUE(link->wire().SetStatusLamp(StatusLamp::Busy));
    EXPECT_EQ(board->Lamps(), (std::array<bool, 3>{false, false, true}));
    ASSERT_TRUE(link->wire().SetStatusLamp(StatusLamp::Failed));
    EXPECT_EQ(board->Lamps(), (std::array<bool, 3>{true, false, false}));
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(HostBoardTest, RefusedProgrammingModeShowsItsNoticeAndSendsL) {
    Connect({"--fault", "wrong:P=0x3F"});
    EXPECT_FALSE(link->EnterProgMode());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{"Can't enter programming mode!"});
    EXPECT_FALSE(link->InProgMode());
}

TEST_F(HostBoardTest, LateReplyIsFlushedBeforeTheNextP) {
    Connect({"--fault", "late:V=4400"});
    char major = 0, minor = 0;
    EXPECT_FALSE(link->wire().ReadSoftwareVersion(major, minor));  // gives up after ~4.1 s
    board->PauseClock().SleepMs(600);
    ASSERT_TRUE(link->EnterProgMode());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{"Flushing"});
    EXPECT_TRUE(board->ProgrammingMode());
}

}  // namespace
}  // namespace zentaro::test
