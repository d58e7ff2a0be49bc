// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include "link_fixture.h"

namespace zentaro::test {
namespace {

const Bytes kWakeUp{0x1B, 0x1B, 0x1B, 0x1B};
const Bytes kUpgradeProbe{0x1B, 0x1B, '[', 'M', 'Z', 'R', '-', 'T', 'o',
                          'o',  'l',  's', '-', 'u', 'p', 'g', 'r', ']'};

Bytes Text(const std::string& text) {
    return Bytes(text.begin(), text.end());
}

class ScanTest : public LinkTest {
protected:
    ScanTest() : LinkTest(false) {}

    // Events of the steps before the one that finds the board: each port opened and closed.
    static std::vector<std::string> TriedAndClosed(int baud, int ports) {
        std::vector<std::string> events;
        for (int n = 1; n <= ports; ++n) {
            events.push_back("open COM" + std::to_string(n) + " " + std::to_string(baud));
            events.push_back("close COM" + std::to_string(n));
        }
        return events;
    }

    static void Append(std::vector<std::string>& to, const std::vector<std::string>& more) {
        to.insert(to.end(), more.begin(), more.end());
    }
};

TEST_F(ScanTest, FindsBoardOnCom3At19200AtStepSevenAfterClosingEveryEarlierPort) {
    port->SetResponder([](const std::string& name, int baud, const Bytes& written) {
        if (name != "COM3" || baud != 19200) {
            return Bytes{};
        }
        if (written == Bytes{'S'}) {
            return Text("MZR-2.1");
        }
        return written == Bytes{'a'} ? Bytes{'Y'} : Bytes{};
    });

    ASSERT_TRUE(link->OpenAndScan());

    std::vector<std::string> expected = TriedAndClosed(115200, 4);
    Append(expected, TriedAndClosed(19200, 2));
    expected.push_back("open COM3 19200");
    EXPECT_EQ(port->Events(), expected);
    EXPECT_TRUE(link->IsOpen());
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-2.1");
    EXPECT_TRUE(link->AutoIncrement());
    EXPECT_FALSE(link->InProgMode());
    // Seven steps of wake-up probe then 'S', then the auto-increment query.
    std::vector<Bytes> writes;
    for (int step = 0; step < 7; ++step) {
        writes.push_back(kWakeUp);
        writes.push_back({'S'});
    }
    writes.push_back({'a'});
    EXPECT_EQ(port->Writes(), writes);
    EXPECT_EQ(clock.sleeps, std::vector<unsigned>(7, 50));
}

TEST_F(ScanTest, BoardInUpgradeModeIsFoundOnlyByTheUpgradeSteps) {
    // The board ignores 'S'; after the upgrade probe it answers a single escape.
    bool probed = false;
    port->SetResponder([&](const std::string& name, int baud, const Bytes& written) {
        if (name != "COM2" || baud != 38400) {
            return Bytes{};
        }
        if (written == kUpgradeProbe) {
            probed = true;
            return Bytes{'?'};  // stray byte the link must purge
        }
        if (probed && written == Bytes{0x1B}) {
            return Text("MZR-upg");
        }
        return Bytes{};
    });

    ASSERT_TRUE(link->OpenAndScan());

    std::vector<std::string> expected = TriedAndClosed(115200, 4);
    Append(expected, TriedAndClosed(19200, 4));
    Append(expected, TriedAndClosed(38400, 4));
    Append(expected, TriedAndClosed(19200, 4));
    Append(expected, TriedAndClosed(38400, 1));
    expected.push_back("open COM2 38400");
    EXPECT_EQ(port->Events(), expected);  // step 18
    EXPECT_EQ(port->Purges(), 1);
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-upg");
    EXPECT_FALSE(link->AutoIncrement());
    const auto& writes = port->Writes();
    ASSERT_GE(writes.size(), 4u);
    EXPECT_EQ((std::vector<Bytes>(writes.end() - 4, writes.end())),
              (std::vector<Bytes>{kWakeUp, kUpgradeProbe, {0x1B}, {'a'}}));
}

TEST_F(ScanTest, NoBoardClosesEveryPortAndSkipsPortsThatDoNotOpen) {
    port->SetOpenable([](const std::string& name) { return name == "COM2"; });
    port->SetResponder([](const std::string&, int, const Bytes& written) {
        // A different device: answers, but not as a programmer.
        return written == Bytes{'S'} ? Text("XYZ-1.0") : Bytes{};
    });

    EXPECT_FALSE(link->OpenAndScan());

    std::vector<std::string> expected;
    for (int baud : {115200, 19200, 38400, 19200, 38400}) {
        expected.push_back("open COM2 " + std::to_string(baud));
        expected.push_back("close COM2");
    }
    EXPECT_EQ(port->Events(), expected);
    EXPECT_FALSE(link->IsOpen());
    EXPECT_EQ(link->SoftwareIdentifier(), "");
}

TEST_F(LinkTest, IdentifyNeedsSevenWaitingBytesStartingWithTheBoardMark) {
    Reply(Text("MZR-1"));
    EXPECT_FALSE(link->Identify());
    EXPECT_EQ(port->Pending(), 5u);  // not read: fewer than seven were waiting
    port->PurgeReceive();

    Reply(Text("MZX-1.0"));
    EXPECT_FALSE(link->Identify());

    Reply(Text("MZR-1.0+"));
    EXPECT_TRUE(link->Identify());
    EXPECT_EQ(link->SoftwareIdentifier(), "MZR-1.0");
    EXPECT_EQ(port->Written(), (Bytes{'S', 'S', 'S'}));
}

TEST_F(LinkTest, BlockSizeFromTheThreeByteReply) {
    Reply({'Y', 0x01, 0x00, 0x77, 0x78});
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 256u);
    EXPECT_EQ(port->Pending(), 0u);  // bytes behind the reply are dropped
    EXPECT_EQ(clock.sleeps, std::vector<unsigned>{400});

    Reply({'Y', 0xFF, 0x00});
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 0u);

    Reply({'Y', 0x00, 0x80});
    ASSERT_TRUE(link->QueryBlockSize());
    Reply({'N'});
    ASSERT_TRUE(link->QueryBlockSize());
    EXPECT_EQ(link->BlockSize(), 0u);
    EXPECT_EQ(port->Written(), (Bytes{'b', 'b', 'b', 'b'}));
}

TEST_F(LinkTest, SupportedDevicesFillTheTwentyByteBufferAndDropTheRest) {
    BoardProtocol::ListBuffer buffer;
    buffer.fill(0xEE);
    Reply({0x13, 0x20, 0x00});
    ASSERT_TRUE(link->wire().ReadSupportedDevices(buffer));
    EXPECT_EQ(buffer[0], 0x13);
    EXPECT_EQ(buffer[1], 0x20);
    EXPECT_EQ(buffer[2], 0x00);
    EXPECT_EQ(clock.sleeps, std::vector<unsigned>{400});

    Bytes longList;
    for (uint8_t code = 1; code <= 25; ++code) {
        longList.push_back(code);
    }
    Reply(longList);
    ASSERT_TRUE(link->wire().ReadProgrammerModes(buffer));
    EXPECT_EQ(buffer.back(), 20);
    EXPECT_EQ(port->Pending(), 0u);

    Reply({});
    ASSERT_TRUE(link->wire().ReadSupportedDevices(buffer));  // silence is an empty list
    EXPECT_EQ(buffer[0], 0x00);
    EXPECT_EQ(port->Written(), (Bytes{'t', 'O', 't'}));

    port->FailWrites(true);
    buffer.fill(0xEE);
    EXPECT_FALSE(link->wire().ReadSupportedDevices(buffer));
    EXPECT_EQ(buffer[0], 0xEE);
}

TEST_F(LinkTest, LevelAndMode) {
    Reply({0x3F});
    EXPECT_EQ(link->wire().ReadProgrammerLevel(), 0x3F);
    Reply({});
    EXPECT_EQ(link->wire().ReadProgrammerLevel(), 0);
    Reply({CR});
    EXPECT_TRUE(link->wire().SetProgrammerMode('S'));
    EXPECT_EQ(port->Written(), (Bytes{'K', 'K', 'o', 'S'}));
}

TEST_F(LinkTest, ProgrammingModeIsEnteredOnceAndLeftWithL) {
    Reply({CR});
    ASSERT_TRUE(link->EnterProgMode());
    ASSERT_TRUE(link->EnterProgMode());
    EXPECT_TRUE(link->InProgMode());
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'P'}}));

    Reply({CR});
    EXPECT_TRUE(link->LeaveProgMode());
    EXPECT_FALSE(link->InProgMode());
    EXPECT_EQ(port->Written(), (Bytes{'P', 'L'}));
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(LinkTest, StaleByteBeforePIsFlushedWithANotice) {
    port->Preload({CR});
    Reply({CR});
    ASSERT_TRUE(link->EnterProgMode());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{"Flushing"});
    EXPECT_EQ(port->Purges(), 1);
    EXPECT_EQ(port->Written(), Bytes{'P'});
}

TEST_F(LinkTest, RefusedPShowsANoticeAndSendsL) {
    Reply({'?'});
    EXPECT_FALSE(link->EnterProgMode());
    EXPECT_EQ(panel.Notices(), std::vector<std::string>{"Can't enter programming mode!"});
    EXPECT_EQ(port->Written(), (Bytes{'P', 'L'}));
    EXPECT_FALSE(link->InProgMode());

    panel.ClearLog();
    Reply({});
    EXPECT_FALSE(link->EnterProgMode());  // silence: no notice
    EXPECT_TRUE(panel.Log().empty());
}

TEST_F(LinkTest, ExitProgramming) {
    EnterProgMode();
    Reply({'?'});
    EXPECT_FALSE(link->ExitProgramming());
    EXPECT_EQ(panel.Notices(),
              std::vector<std::string>{"Exit programming not supported on this programmer"});
    EXPECT_TRUE(link->InProgMode());

    Reply({CR});
    EXPECT_TRUE(link->ExitProgramming());
    EXPECT_FALSE(link->InProgMode());
    EXPECT_EQ(port->Written(), (Bytes{'E', 'E'}));
    EXPECT_EQ(panel.Notices().size(), 1u);
}

// A record whose fields all differ, so that every byte of the block shows its origin.
DeviceRecord DistinctRecord() {
    DeviceRecord record;
    record.deviceCode = 0x5E;
    record.flashSize = 0x00012345;
    record.eepromSize = 0x0789;
    record.wordWideFlash = 0;
    record.flashPageSize = 0x0120;
    record.eepromPageSize = 0x0A0B;
    record.programmerFlags = {1, 0, 1, 9};
    record.programmerParams = 0x11223344;
    record.pageWords = 0x55;
    record.targetParam = 0x66;
    record.extFlags = {0x01, 0xEE, 0x07, 0x08};
    return record;
}

struct SelectCase {
    uint8_t level;
    Bytes block;
};

class SelectBlockTest : public LinkTest, public ::testing::WithParamInterface<SelectCase> {};

const Bytes kHead{0x1B, 0x1B, 0x1B, 0x54};
const Bytes kBody{0x5E, 0x01, 0x00, 0x01, 0x01, 0x20, 0x11, 0x22, 0x33,
                  0x44, 0x55, 0x66, 0x00, 0x01, 0x23, 0x45, 0x07, 0x89};

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

TEST_P(SelectBlockTest, BlockIsWrittenInOneWriteAndAcknowledged) {
    Reply({CR});
    ASSERT_TRUE(link->SelectDevice(DistinctRecord(), GetParam().level));
    EXPECT_EQ(port->Writes(), std::vector<Bytes>{GetParam().block});
    EXPECT_EQ(link->FlashSize(), 0x12345u);
    EXPECT_EQ(link->EepromSize(), 0x789u);
    EXPECT_FALSE(link->WordWide());
    EXPECT_FALSE(link->InProgMode());
}

INSTANTIATE_TEST_SUITE_P(
    Levels, SelectBlockTest,
    ::testing::Values(
        SelectCase{0, Join({kHead, {0x5E}})}, SelectCase{1, Join({kHead, kBody})},
        SelectCase{2, Join({kHead, {0x00, 0x02}, kBody, {0x0A, 0x0B, 0x00}})},
        SelectCase{4, Join({kHead, {0x00, 0x04}, kBody, {0x0A, 0x0B, 0x00}})},
        SelectCase{5, Join({kHead, {0x00, 0x05}, kBody, {0x0A, 0x0B, 0x00, 0xEE}})},
        SelectCase{0x3F, Join({kHead, {0x00, 0x05}, kBody, {0x0A, 0x0B, 0x00, 0xEE}})},
        SelectCase{0xFF, Join({kHead, {0x00, 0x05}, kBody, {0x0A, 0x0B, 0x00, 0xEE}})}),
    [](const auto& testInfo) { return "Level" + std::to_string(testInfo.param.level); });

TEST_F(LinkTest, RefusedSelectKeepsSizesButRemembersTheCode) {
    SelectDevice(true);
    Reply({'?'});
    EXPECT_FALSE(link->SelectDevice(DistinctRecord(), 1));
    EXPECT_EQ(link->DeviceCode(), 0x5Eu);
    EXPECT_EQ(link->FlashSize(), 4096u);
    EXPECT_EQ(link->EepromSize(), 256u);
    EXPECT_TRUE(link->WordWide());
}

TEST_F(LinkTest, ChipEraseOnOrlan1EndsWithL) {
    DeviceRecord orlan1 = FindDeviceByName("Orlan 1");
    Reply({CR});
    ASSERT_TRUE(link->SelectDevice(orlan1, 0));
    port->ClearWritten();
    Reply({CR});  // P
    Reply({CR});  // e
    Reply({CR});  // L
    EXPECT_TRUE(link->ChipErase());
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'P'}, {'e'}, {'L'}}));
    EXPECT_EQ(clock.sleeps, std::vector<unsigned>{100});
    EXPECT_FALSE(link->InProgMode());
}

TEST_F(LinkTest, ChipEraseStaysInProgrammingModeOnOtherDevices) {
    SelectDevice(true);
    EnterProgMode();
    Reply({CR});
    EXPECT_TRUE(link->ChipErase());
    EXPECT_EQ(port->Written(), Bytes{'e'});
    EXPECT_TRUE(link->InProgMode());

    Reply({'?'});
    EXPECT_FALSE(link->ChipErase());
}

TEST_F(LinkTest, LampsGoOffInOrderOneTwoZeroThenOneGoesOn) {
    for (int i = 0; i < 4; ++i) {
        Reply({CR});
    }
    EXPECT_TRUE(link->wire().SetStatusLamp(StatusLamp::Done));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'y', 1}, {'y', 2}, {'y', 0}, {'x', 1}}));

    port->ClearWritten();
    Reply({});  // a silent 'y' is ignored ...
    Reply({CR});
    Reply({CR});
    Reply({'?'});  // ... the 'x' decides
    EXPECT_FALSE(link->wire().SetStatusLamp(StatusLamp::Busy));
    EXPECT_EQ(port->Writes().back(), (Bytes{'x', 2}));

    port->ClearWritten();
    for (int i = 0; i < 3; ++i) {
        Reply({CR});
    }
    EXPECT_TRUE(link->wire().SetStatusLamp(std::nullopt));
    EXPECT_EQ(port->Writes(), (std::vector<Bytes>{{'y', 1}, {'y', 2}, {'y', 0}}));
}

TEST_F(LinkTest, LampsStopOnABoardThatAnsweredNeitherTheLastCommandNorTheFirstLamp) {
    char type = 0;
    Reply({});
    ASSERT_FALSE(link->wire().ReadProgrammerType(type));
    Reply({});
    EXPECT_FALSE(link->wire().SetStatusLamp(StatusLamp::Failed));
    EXPECT_EQ(port->Written(), (Bytes{'p', 'y', 1}));

    // One missed reply alone is no reason to give up.
    port->ClearWritten();
    Reply({});
    ASSERT_FALSE(link->wire().ReadProgrammerType(type));
    for (int i = 0; i < 4; ++i) {
        Reply({CR});
    }
    EXPECT_TRUE(link->wire().SetStatusLamp(StatusLamp::Failed));
    EXPECT_EQ(port->Written(), (Bytes{'p', 'y', 1, 'y', 2, 'y', 0, 'x', 0}));
}

}  // namespace
}  // namespace zentaro::test
