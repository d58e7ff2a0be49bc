#include <thread>

#include "host_board_fixture.h"

namespace zentaro::testing {
namespace {

TEST_F(HostBoardTest, ListTypeBoardWithOneCode) {
    Connect({"--devices", "0x13", "--chip", "Orlan 1", "--auto-increment", "N"});
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-SIM");
    EXPECT_FALSE(link->AutoIncrement());
    CLowIO::ListBuffer codes{};
    ASSERT_TRUE(link->ReadSupportedDevices(codes));
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
    CLowIO::ListBuffer codes{};
    ASSERT_TRUE(link->ReadSupportedDevices(codes));
    EXPECT_EQ(codes[0], 0x13);
    EXPECT_EQ(codes[1], 0x20);
    EXPECT_EQ(codes[2], 0x48);
    EXPECT_EQ(codes[19], 0x60);  // cut at twenty bytes ...
    char type = 0;
    ASSERT_TRUE(link->ReadProgrammerType(type));  // ... and the rest does not linger
    EXPECT_EQ(type, 'S');
}

class LevelBoardTest : public HostBoardTest, public ::testing::WithParamInterface<int> {};

TEST_P(LevelBoardTest, ModesLevelBlockSizeAndTheSelectBlockOfThatLevel) {
    const std::string level = std::to_string(GetParam());
    Connect({"--modes", "SP", "--level", level, "--block-size", "128"});
    CLowIO::ListBuffer reply{};
    ASSERT_TRUE(link->ReadSupportedDevices(reply));
    EXPECT_EQ(reply[0], 0x00);
    ASSERT_TRUE(link->ReadProgrammerModes(reply));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(reply.data())), "SP");
    ASSERT_TRUE(link->SetProgrammerMode('P'));
    EXPECT_EQ(board->ProgrammerMode(), 'P');
    EXPECT_FALSE(link->SetProgrammerMode('X'));
    EXPECT_EQ(link->ReadProgrammerLevel(), GetParam());
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 128u);

    ASSERT_TRUE(
        link->SelectDevice(FindDeviceByName("Mirval 10"), static_cast<uint8_t>(GetParam())));
    EXPECT_EQ(board->SelectedDeviceCode(), 0x43);
    EXPECT_EQ(link->FlashSize(), 131072u);
}

INSTANTIATE_TEST_SUITE_P(Levels, LevelBoardTest, ::testing::Values(1, 4, 5, 63));

TEST_F(HostBoardTest, BoardWithoutBlockTransfers) {
    Connect({"--block-size", "0"});
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 0u);
}

TEST_F(HostBoardTest, BoardOnCom3At19200) {
    Connect({"--port", "COM3", "--baud", "19200"});
    EXPECT_TRUE(link->IsOpen());
    EXPECT_TRUE(link->AutoIncrement());
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

TEST_F(HostBoardTest, BoardAtAnotherRateIsNotFound) {
    StartBoard({"--baud", "57600"});
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

    ASSERT_TRUE(link->SetStatusLamp(CLowIO::kLampBusy));
    EXPECT_EQ(board->Lamps(), (std::array<bool, 3>{false, false, true}));
    ASSERT_TRUE(link->SetStatusLamp(CLowIO::kLampFailed));
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
    EXPECT_FALSE(link->ReadSoftwareVersion(major, minor));  // gives up after ~4.1 s
    std::this_thread::sleep_for(std::chrono::milliseconds(600));
    ASSERT_TRUE(link->EnterProgMode());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{"Flushing"});
    EXPECT_TRUE(board->ProgrammingMode());
}

}  // namespace
}  // namespace zentaro::testing
