// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/board.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "sim/wire.h"

namespace zentaro::sim {
namespace {

using test::Exchange;
using test::MakeBoard;
using test::Wire;

TEST(BoardDiscovery, DefaultBoardAnswersTheDiscoveryCommands) {
    Board board = MakeBoard({});
    EXPECT_EQ(board.FeedText(Wire("1B 1B 1B 1B 'S")), "MZR-SIM");
    EXPECT_EQ(board.FeedText("a"), "Y");
    EXPECT_EQ(Exchange(board, "'b"), "59 01 00");
    EXPECT_EQ(Exchange(board, "'t"), "00");
    EXPECT_EQ(Exchange(board, "'O"), "53 00");
    EXPECT_EQ(Exchange(board, "'K"), "03");
    EXPECT_EQ(Exchange(board, "'o 'S"), "0D");
    EXPECT_EQ(board.ProgrammerMode(), 'S');
    EXPECT_EQ(board.FeedText("V"), "12");
    EXPECT_EQ(board.FeedText("p"), "S");
}

TEST(BoardDiscovery, VariantsShapeTheReplies) {
    Board board = MakeBoard({"--devices", "0x43,0x3A", "--block-size", "0", "--auto-increment", "N",
                             "--type", "P", "--id", "MZR2000", "--version", "37", "--modes", "?"});
    EXPECT_EQ(board.FeedText("S"), "MZR2000");
    EXPECT_EQ(Exchange(board, "'t"), "43 3A 00");
    EXPECT_EQ(Exchange(board, "'O"), "3F 00");
    EXPECT_EQ(board.FeedText("b"), "N");
    EXPECT_EQ(board.FeedText("a"), "N");
    EXPECT_EQ(board.FeedText("p"), "P");
    EXPECT_EQ(board.FeedText("V"), "37");
    EXPECT_EQ(board.FeedText("oS"), "?");  // '?' means no modes: nothing can be set
}

TEST(BoardDiscovery, UnknownAndMalformedCommandsGetAQuestionMark) {
    Board board = MakeBoard({"--modes", "SV"});
    EXPECT_EQ(board.FeedText("Z"), "?");
    EXPECT_EQ(board.FeedText("T"), "?");  // select needs its ESC ESC ESC prefix
    EXPECT_EQ(board.FeedText("oP"), "?");
    EXPECT_EQ(board.FeedText("oV"), "\r");
    EXPECT_EQ(board.FeedText("x\x03"), "?");
}

TEST(BoardControl, ProgrammingModeBracketsChipCommands) {
    Board board = MakeBoard({});
    EXPECT_EQ(board.FeedText("R"), "?");
    EXPECT_EQ(board.FeedText("e"), "?");
    EXPECT_EQ(board.FeedText("s"), "?");
    EXPECT_EQ(board.FeedText(Wire("': 58 00 00")), "?");
    EXPECT_EQ(board.FeedText(Wire("'f 00")), "?");
    EXPECT_EQ(board.TargetChip().Config().lowFuse, 0xE1);

    EXPECT_EQ(board.FeedText("P"), "\r");
    EXPECT_TRUE(board.ProgrammingMode());
    EXPECT_EQ(board.FeedText("P"), "\r");
    EXPECT_EQ(board.FeedText("s").size(), 3u);
    EXPECT_EQ(board.FeedText("L"), "\r");
    EXPECT_EQ(board.FeedText("s"), "?");
    EXPECT_EQ(board.FeedText("PE"), "\r\r");
    EXPECT_FALSE(board.ProgrammingMode());
}

TEST(BoardControl, RefusedBlockWriteStillConsumesItsData) {
    Board board = MakeBoard({});
    // "SS" inside the data must not be taken as commands.
    EXPECT_EQ(board.FeedText(Wire("'B 00 04 'E 'SSSS 'S")), "?MZR-SIM");
    EXPECT_EQ(board.TargetChip().Eeprom()[0], 0xFF);
}

TEST(BoardControl, LampsFollowXAndY) {
    Board board = MakeBoard({});
    EXPECT_EQ(Exchange(board, "'y 01 'y 02 'y 00 'x 02"), "0D 0D 0D 0D");
    EXPECT_THAT(board.Lamps(), ::testing::ElementsAre(false, false, true));
    EXPECT_EQ(Exchange(board, "'y 02 'x 01"), "0D 0D");
    EXPECT_THAT(board.Lamps(), ::testing::ElementsAre(false, true, false));
}

TEST(BoardControl, ChipEraseNeedsProgrammingModeAndBlanksFlash) {
    Board board = MakeBoard({"--chip", "Orlan 8"});
    board.TargetChip().LoadFlash(std::vector<uint8_t>{0x00, 0x01});
    EXPECT_EQ(board.FeedText("Pe"), "\r\r");
    EXPECT_EQ(board.TargetChip().Flash()[1], 0xFF);
}

struct SelectCase {
    std::vector<std::string> args;
    size_t length;
    size_t codeOffset;
};

class BoardSelect : public ::testing::TestWithParam<SelectCase> {};

TEST_P(BoardSelect, TakesTheBlockLengthOfItsLevel) {
    Board board = MakeBoard(GetParam().args);
    std::string block = Wire("1B 1B 1B 'T");
    block.resize(GetParam().length, '\x01');
    block[GetParam().codeOffset] = '\x3A';
    EXPECT_EQ(board.FeedText(block.substr(0, block.size() - 1)), "");
    EXPECT_EQ(board.FeedText(block.substr(block.size() - 1)), "\r");
    EXPECT_EQ(board.SelectedDeviceCode(), 0x3A);
    EXPECT_EQ(board.FeedText("S"), "MZR-SIM");  // in step with the host afterwards
}

INSTANTIATE_TEST_SUITE_P(
    Levels, BoardSelect,
    ::testing::Values(SelectCase{{"--devices", "0x3A"}, 5, 4},
                      SelectCase{{"--devices", "0x3A", "--level", "7"}, 5, 4},
                      SelectCase{{"--level", "0"}, 5, 4}, SelectCase{{"--level", "1"}, 22, 4},
                      SelectCase{{"--level", "2"}, 27, 6}, SelectCase{{"--level", "4"}, 27, 6},
                      SelectCase{{"--level", "5"}, 28, 6}, SelectCase{{"--level", "0x3F"}, 28, 6}));

TEST(BoardUpgradeMode, AnswersOnlyTheUpgradeIdentification) {
    Board board = MakeBoard({"--upgrade-mode"});
    EXPECT_EQ(board.FeedText(Wire("1B 1B 1B 1B 'S 'a 'P 'K")), "");
    // Split across feeds the way a host may write it.
    EXPECT_EQ(board.FeedText(Wire("1B 1B '[MZR-Too")), "");
    EXPECT_EQ(board.FeedText("ls-upgr]"), "");
    EXPECT_EQ(board.FeedText(Wire("1B")), "MZR-SIM");
    EXPECT_EQ(board.FeedText(Wire("1B")), "");  // once per request
    EXPECT_EQ(board.FeedText(Wire("'[MZR-Tools-upgX] 1B")), "");
    EXPECT_EQ(board.FeedText(Wire("'[[MZR-Tools-upgr] 1B")), "MZR-SIM");
}

TEST(BoardFaults, DropAnswersNothingToTheChosenOccurrence) {
    Board board = MakeBoard({"--fault", "drop:S@2"});
    EXPECT_EQ(board.FeedText("S"), "MZR-SIM");
    EXPECT_EQ(board.FeedText("S"), "");
    EXPECT_EQ(board.FeedText("S"), "MZR-SIM");
}

TEST(BoardFaults, WrongReplacesTheFirstReplyByteEveryTime) {
    Board board = MakeBoard({"--fault", "wrong:P=0x3F"});
    EXPECT_EQ(board.FeedText("PP"), "??");
    EXPECT_EQ(board.FeedText("a"), "Y");
}

TEST(BoardFaults, LateDelaysTheReply) {
    Board board = MakeBoard({"--fault", "late:T@1", "--fault", "late:a=250"});
    std::string block = Wire("1B 1B 1B 'T");
    block.resize(27, '\0');
    const auto first = board.Feed(std::vector<uint8_t>(block.begin(), block.end()));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].delay, std::chrono::milliseconds(5000));
    const auto second = board.Feed(std::vector<uint8_t>(block.begin(), block.end()));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(second[0].delay, std::chrono::milliseconds(0));
    const auto late = board.Feed(std::vector<uint8_t>{'a'});
    ASSERT_EQ(late.size(), 1u);
    EXPECT_EQ(late[0].delay, std::chrono::milliseconds(250));
}

TEST(BoardFaults, HangUpSilencesTheBoardAfterNBytes) {
    Board board = MakeBoard({"--fault", "hangup:5"});
    EXPECT_EQ(board.FeedText(Wire("1B 1B 1B 1B 'S")), "MZR-SIM");
    EXPECT_FALSE(board.HungUp());
    EXPECT_EQ(board.FeedText("S"), "");
    EXPECT_TRUE(board.HungUp());
    EXPECT_EQ(board.FeedText("Sa"), "");
    EXPECT_EQ(board.Count().bytesIn, 5u);
}

TEST(BoardLog, CountsAndLogsEveryExchange) {
    Board board = MakeBoard({"--fault", "drop:a"});
    std::vector<std::string> lines;
    board.SetLogSink([&lines](const std::string& line) { lines.push_back(line); });
    board.FeedText(Wire("1B 1B 'S 'A 01 02 'a"));
    EXPECT_EQ(board.Count().bytesIn, 7u);
    EXPECT_EQ(board.Count().bytesOut, 8u);
    EXPECT_EQ(board.Count().exchanges, 2u);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_THAT(lines[0], ::testing::HasSubstr("host: 53  board: 4D 5A 52 2D 53 49 4D"));
    EXPECT_THAT(lines[1], ::testing::StartsWith("'A'"));
    EXPECT_THAT(lines[1], ::testing::HasSubstr("host: 41 01 02  board: 0D"));
    EXPECT_THAT(lines[2], ::testing::HasSubstr("fault: no reply"));
}

}  // namespace
}  // namespace zentaro::sim
