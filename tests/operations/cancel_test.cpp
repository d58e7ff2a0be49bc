// SPDX-License-Identifier: GPL-3.0-or-later
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "operations/fake_board.h"
#include "operations/memory_commands.h"
#include "operations/test_files.h"

namespace zentaro {
namespace {

using test::Device;
using test::FakeBoard;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::Not;
using Bytes = FakeBoard::Bytes;

// A command on a fake board whose user asks to stop while the count-th command starting with
// letter is on the wire.
struct StoppedCommand {
    StoppedCommand(const char* name, uint32_t blockSize, uint8_t letter, int count)
        : device(Device(name)), board(device, true, blockSize), image(device.flashSize, 0xFF) {
        board.onCommand = [this, letter, count](const Bytes& command) {
            if (command[0] == letter && ++seen == count) {
                board.Panel().RequestStop();
            }
        };
    }

    CommandOutcome Run(bool (*command)(CommandContext&), const std::string& path) {
        CommandContext context{board.Link(), board.Panel(), image, device, 3, {}, path};
        EXPECT_FALSE(command(context));
        return context.outcome;
    }
    std::string Hex(uint32_t bytes) {
        const std::string path = dir.Path("in.hex");
        test::WriteFile(path, test::HexText({{0, std::vector<uint8_t>(bytes, 0x5A)}}));
        return path;
    }
    long Sent(uint8_t letter) const {
        const std::vector<Bytes> traffic = board.MemoryTraffic();
        return std::count_if(traffic.begin(), traffic.end(),
                             [letter](const Bytes& write) { return write[0] == letter; });
    }
    // The cancel ending: 'L' after the exchange in flight, the failed lamp, "Canceled" kept,
    // no notice, the controls back.
    void ExpectCanceled(CommandOutcome outcome, const std::string& status) {
        EXPECT_EQ(outcome, CommandOutcome::Canceled);
        EXPECT_EQ(board.MemoryTraffic().back(), Bytes{'L'});
        EXPECT_EQ(board.LampsLit().back(), 1011);
        EXPECT_EQ(board.Panel().Status(), status + "Canceled");
        EXPECT_THAT(board.Panel().Log(), Not(Contains("timeout")));
        EXPECT_THAT(board.Panel().Notices(), IsEmpty());
        EXPECT_TRUE(board.Panel().ControlsEnabled());
        EXPECT_FALSE(board.Link().InProgMode());
    }

    const DeviceRecord& device;
    FakeBoard board;
    std::vector<uint8_t> image;
    test::TempDir dir;
    int seen = 0;
};

TEST(CancelTest, ProgramFlashStopsAfterTheBlockInFlight) {
    StoppedCommand run("Orlan 8", 256, 'B', 2);
    const CommandOutcome outcome = run.Run(ProgramFlash, run.Hex(2048));
    EXPECT_EQ(run.Sent('B'), 2);
    EXPECT_EQ(run.Sent('g'), 0);  // no verify
    run.ExpectCanceled(outcome, "擦除芯片...      编程...       ");
    EXPECT_THAT(run.board.LampsLit(), ElementsAre(1013, 1011));
}

TEST(CancelTest, WordByWordStopsBetweenTwoWordsNotInsideOne) {
    StoppedCommand run("Orlan 8", 0, 'c', 3);
    const CommandOutcome outcome = run.Run(ProgramFlash, run.Hex(64));
    EXPECT_EQ(run.Sent('c'), 3);
    EXPECT_EQ(run.Sent('C'), 3);  // the high byte of the word in flight still goes out
    run.ExpectCanceled(outcome, "擦除芯片...      编程...       ");
}

TEST(CancelTest, StoppedVerifyReportsNeitherSuccessNorMismatch) {
    // The erased chip differs from the file from its first byte on.
    StoppedCommand run("Orlan 8", 0, 'R', 1);
    const CommandOutcome outcome = run.Run(VerifyFlash, run.Hex(64));
    EXPECT_EQ(run.Sent('R'), 1);
    run.ExpectCanceled(outcome, "校验 Flash...     ");
}

TEST(CancelTest, StoppedEepromProgrammingKeepsItsText) {
    StoppedCommand run("Orlan 8", 0, 'D', 2);
    const CommandOutcome outcome = run.Run(ProgramEeprom, run.Hex(16));
    EXPECT_EQ(run.Sent('D'), 2);
    run.ExpectCanceled(outcome, "写入 EEPROM...       ");
}

TEST(CancelTest, StoppedReadKeepsTheEarlierFileAndLeavesNoPartialOne) {
    for (uint32_t blockSize : {0u, 256u}) {
        StoppedCommand run("Orlan 8", blockSize, blockSize ? 'g' : 'd', 1);
        const std::string path = run.dir.Path("out.eep");
        test::WriteFile(path, "mine");
        run.board.Panel().Answer(true);  // overwrite
        const CommandOutcome outcome = run.Run(ReadEeprom, path);
        EXPECT_EQ(run.Sent(blockSize ? 'g' : 'd'), blockSize ? 1 : 16);
        run.ExpectCanceled(outcome, "读取 EEPROM   ...");
        EXPECT_EQ(test::ReadFile(path), "mine");
        EXPECT_EQ(run.dir.EntryCount(), 1u);
    }
}

}  // namespace
}  // namespace zentaro
