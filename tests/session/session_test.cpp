// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include "support/fake_clock.h"
#include "support/recording_panel.h"
#include "support/scripted_board.h"
#include "support/scripted_port.h"
#include "support/temp_dir.h"

namespace zentaro::test {
namespace {

using ::testing::ElementsAre;

class SessionTest : public ::testing::Test {
protected:
    SessionTest() {
        auto scripted = std::make_unique<ScriptedPort>();
        scripted->SetResponder(board.Responder());
        port = scripted.get();
        session = std::make_unique<Session>(std::move(scripted), panel, clock);
    }

    // The port's open events, without the closes.
    std::vector<std::string> Opens() const {
        std::vector<std::string> opens;
        for (const std::string& event : port->Events()) {
            if (event.starts_with("open ")) {
                opens.push_back(event);
            }
        }
        return opens;
    }

    ScriptedBoard board;
    RecordingPanel panel;
    FakeClock clock;
    ScriptedPort* port = nullptr;
    std::unique_ptr<Session> session;
    TempDir dir;
};

TEST_F(SessionTest, OpeningOnePortTriesOnlyThatPortAtTheScanRates) {
    board.present = false;
    EXPECT_EQ(session->Open("/dev/ttyUSB1").outcome, CommandOutcome::NoBoard);
    EXPECT_THAT(Opens(), ElementsAre("open /dev/ttyUSB1 115200", "open /dev/ttyUSB1 19200",
                                     "open /dev/ttyUSB1 38400", "open /dev/ttyUSB1 19200",
                                     "open /dev/ttyUSB1 38400"));
    EXPECT_FALSE(port->IsOpen());

    board.present = true;
    port->ClearWritten();
    ASSERT_TRUE(session->Open("/dev/ttyUSB1", 38400).Ok());
    EXPECT_EQ(Opens().back(), "open /dev/ttyUSB1 38400");
    EXPECT_EQ(session->Board().port, "/dev/ttyUSB1");
    EXPECT_EQ(session->Board().baudRate, 38400);
    EXPECT_TRUE(port->IsOpen());
}

TEST_F(SessionTest, NoBoardExplainsPortsThatExistButCannotBeOpenedFirst) {
    board.present = false;
    port->SetTrouble("COM1", {OpenFailure::PermissionDenied, "/dev/ttyUSB0", "Permission denied"});
    port->SetTrouble("COM3", {OpenFailure::Busy, "/dev/ttyACM0", "Device or resource busy"});
    port->SetTrouble("COM4", {OpenFailure::Absent, "", ""});
    const SessionResult scan = session->Scan();
    EXPECT_EQ(scan.outcome, CommandOutcome::NoBoard);
    EXPECT_EQ(scan.notices, panel.Notices());
    ASSERT_EQ(panel.Notices().size(), 2u);
    EXPECT_EQ(panel.Notices()[0],
              "以下串口存在，但无法打开：\n"
              "/dev/ttyUSB0 (COM1)：没有读写权限。\n"
              "    请把用户加入 dialout 组 (sudo usermod -aG dialout $USER)，然后注销并重新登录。\n"
              "/dev/ttyACM0 (COM3)：端口正被另一个程序使用。\n"
              "    请先关闭占用该端口的程序。");
    EXPECT_EQ(panel.Notices()[1], kNoProgrammerText);

    // Ports that are simply absent, or open but silent, leave only the no-board message.
    port->SetTrouble("COM1", {OpenFailure::Absent, "", ""});
    port->SetTrouble("COM3", {OpenFailure::Absent, "", ""});
    panel.ClearLog();
    ASSERT_FALSE(session->Scan().Ok());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{kNoProgrammerText});
}

TEST_F(SessionTest, ListTypeBoardWithOneCodeLeavesNothingToChoose) {
    board.codes = {0x43};
    ASSERT_TRUE(session->Scan().Ok());
    session->LearnBoard();
    const BoardListing& listing = session->Listing();
    EXPECT_TRUE(listing.listType);
    EXPECT_FALSE(listing.DeviceListEnabled());
    EXPECT_THAT(listing.devices, ElementsAre("Mirval 10"));
    EXPECT_EQ(listing.programmerLevel, 0);
    EXPECT_TRUE(listing.programmerTypes.empty());
}

TEST_F(SessionTest, TableBoardSendsTheFirstSortedTypeAndFiltersByIt) {
    board.modes = "SP";
    ASSERT_TRUE(session->Scan().Ok());
    session->LearnBoard();
    const BoardListing& listing = session->Listing();
    EXPECT_THAT(listing.programmerTypes, ElementsAre("Parallel", "SPI serial"));
    EXPECT_EQ(listing.programmerTypeMask, 0x01);
    const auto& writes = port->Writes();
    EXPECT_NE(std::find(writes.begin(), writes.end(), ScriptedPort::Bytes{'o', 'P'}), writes.end());
    EXPECT_TRUE(std::find(listing.devices.begin(), listing.devices.end(), "Orlan 11") !=
                listing.devices.end());

    session->ChangeProgrammerType(1);
    EXPECT_EQ(session->Listing().programmerTypeMask, 0x02);
    EXPECT_EQ(port->Writes().back(), ScriptedPort::Bytes{'K'});
}

TEST_F(SessionTest, MalformedFileIsAFileErrorWithNothingSent) {
    ASSERT_TRUE(session->Scan().Ok());
    session->LearnBoard();
    ASSERT_TRUE(session->SelectDevice("Mirval 10").Ok());
    const std::string path = dir.Path("bad.hex");
    WriteFile(path, "not a record\n");
    port->ClearWritten();
    EXPECT_EQ(session->Run(MemoryCommand::ProgramFlash, path, {}).outcome,
              CommandOutcome::FileError);
    EXPECT_TRUE(port->Writes().empty());
    EXPECT_EQ(session->Run(MemoryCommand::VerifyFlash, dir.Path("missing.hex"), {}).outcome,
              CommandOutcome::FileError);
    EXPECT_TRUE(port->Writes().empty());
}

// A Panel whose questions try to start another command, as a click that slips in would.
class ReentrantPanel : public RecordingPanel {
public:
    bool AskYesNo(const std::string& text, bool questionIcon) override {
        inner = session->Run(MemoryCommand::ReadFlash, "other.hex", {}).outcome;
        return RecordingPanel::AskYesNo(text, questionIcon);
    }
    Session* session = nullptr;
    CommandOutcome inner = CommandOutcome::Ok;
};

TEST_F(SessionTest, SecondCommandWhileOneRunsIsRefusedAndDeclinedQuestionsAreTold) {
    ReentrantPanel asking;
    auto scripted = std::make_unique<ScriptedPort>();
    scripted->SetResponder(board.Responder());
    Session own(std::move(scripted), asking, clock);
    asking.session = &own;
    ASSERT_TRUE(own.Scan().Ok());
    own.LearnBoard();
    ASSERT_TRUE(own.SelectDevice("Mirval 2").Ok());
    // One byte beyond the 16 KiB flash raises the size question, answered No.
    const std::string path = dir.Path("big.hex");
    WriteFile(path, ":01400000AA15\n");
    const SessionResult run = own.Run(MemoryCommand::ProgramFlash, path, {});
    EXPECT_EQ(run.outcome, CommandOutcome::Declined);
    EXPECT_THAT(run.declined, ::testing::HasSubstr("是否写入所适合的那部分数据"));
    EXPECT_EQ(asking.inner, CommandOutcome::Refused);
    EXPECT_FALSE(own.Busy());
    EXPECT_EQ(own.SelectDevice("No such chip").outcome, CommandOutcome::NoDevice);
}

}  // namespace
}  // namespace zentaro::test
