// SPDX-License-Identifier: GPL-3.0-or-later
// zentaro-cli's program against simulated boards in memory: what it prints, its exit
// status, the chip, the wire and the files it leaves.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/flat_json.h"
#include "cli/in_memory_cli.h"
#include "cli/program.h"
#include "images/elf_reader.h"
#include "support/byte_pattern.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"

namespace zentaro::test {
namespace {

using Bytes = std::vector<uint8_t>;

constexpr char kChip[] = "Mirval 3";  // 8 KiB flash, 512 bytes EEPROM, lock, low and high fuse

class CliBoardTest : public ::testing::Test {
protected:
    InMemoryBoard& StartBoard(const std::string& port, std::vector<std::string> more = {}) {
        return rack.StartBoard(port, std::move(more));
    }
    CliRun Cli(const std::vector<std::string>& args) const { return rack.Cli(args); }

    std::string PathOf(const std::string& name) const { return folder.Path(name); }
    std::string WriteHexFile(const std::string& name, const Bytes& data) const {
        WriteFile(PathOf(name), HexText({{0, data}}));
        return PathOf(name);
    }

    TempDir folder;
    BoardRack rack{kChip};
};

TEST_F(CliBoardTest, FlashAndEepromAreProgrammedVerifiedAndReadBackByteForByte) {
    InMemoryBoard& board = StartBoard("COM1");
    struct Case {
        const char* memory;
        Bytes data;
        const char* programEnding;
        const char* verifyEnding;
    };
    const std::vector<Case> cases = {
        {"flash", Pattern(320, 0x11), "擦除芯片...      编程...       检验...     OK",
         "校验 Flash...     OK"},
        {"eeprom", Pattern(48, 0x5A), nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.memory);
        const std::string file = WriteHexFile(std::string(c.memory) + ".hex", c.data);
        const CliRun program = Cli({"-d", kChip, "program", c.memory, file});
        EXPECT_EQ(program.exitCode, 0) << program.out << program.err;
        const bool flash = std::string(c.memory) == "flash";
        const Bytes chip = flash ? board.Flash() : board.Eeprom();
        EXPECT_EQ(Bytes(chip.begin(), chip.begin() + static_cast<long>(c.data.size())), c.data);
        if (c.programEnding != nullptr) {
            EXPECT_EQ(program.out, std::string(c.programEnding) + "\n");
        }

        const CliRun verify = Cli({"-p", "COM1", "-d", kChip, "verify", c.memory, file});
        EXPECT_EQ(verify.exitCode, 0) << verify.out << verify.err;
        if (c.verifyEnding != nullptr) {
            EXPECT_EQ(verify.out, std::string(c.verifyEnding) + "\n");
        }

        const std::string readBack = PathOf(std::string(c.memory) + "-read.hex");
        const CliRun read = Cli({"-d", kChip, "read", c.memory, readBack});
        EXPECT_EQ(read.exitCode, 0) << read.out << read.err;
        EXPECT_EQ(ReadFile(readBack), ReadHexText(flash ? board.Flash() : board.Eeprom()));

        // The file exists now: without a terminal the overwrite question is declined, and said.
        const CliRun again = Cli({"-d", kChip, "read", c.memory, readBack});
        EXPECT_EQ(again.exitCode, 1);
        EXPECT_NE(again.out.find("declined"), std::string::npos) << again.out;
        EXPECT_EQ(Cli({"-y", "-d", kChip, "read", c.memory, readBack}).exitCode, 0);
    }
}

TEST_F(CliBoardTest, VerifyMismatchFailsWithTheMismatchText) {
    StartBoard("COM1");
    const std::string file = WriteHexFile("one.hex", {0x44, 0x20});
    const CliRun run = Cli({"-d", kChip, "verify", "flash", file});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out,
              "   地址: 0x0000, 原始数据: 0x2044, 芯片数据: 0xffff\n校验 Flash...     失败  \n");
}

TEST_F(CliBoardTest, FusesAreShownDecodedAndOnlyTheBytesAskedForAreWritten) {
    InMemoryBoard& board =
        StartBoard("COM1", {"--lock", "0xFF", "--low-fuse", "0xE1", "--high-fuse", "0xD9"});
    const CliRun shown = Cli({"-d", kChip, "fuses"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("low       E1  read write\nhigh      D9  read write\n"),
              std::string::npos)
        << shown.out;
    EXPECT_EQ(shown.out.find("extended"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("Lock mode: 方式 1\n"), std::string::npos) << shown.out;

    const CliRun written = Cli({"-d", kChip, "--json", "fuses", "--high", "D8"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_EQ(board.Config().highFuse, 0xD8);
    EXPECT_EQ(board.Config().lowFuse, 0xE1);
    EXPECT_EQ(board.Config().lock, 0xFF);
    EXPECT_EQ(ParseFlatJson(written.out)["message"], "lock=FF low=E1 high=D8");

    const uint64_t before = board.Count().bytesIn;
    const CliRun refused = Cli({"-d", kChip, "fuses", "--low", "E2", "--ext", "00"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("this device has no extended byte"), std::string::npos)
        << refused.err;
    EXPECT_EQ(board.Config().lowFuse, 0xE1);
    EXPECT_GT(board.Count().bytesIn, before);  // it did look at the board first
}

TEST_F(CliBoardTest, AFuseWriteThatLocksTheChipOutIsShownAndRefusedUnlessAllowed) {
    // Serial programming on (low bit 5 clear); writing E1 turns it off.
    InMemoryBoard& board = StartBoard("COM1", {"--low-fuse", "0xC1"});
    const CliRun refused = Cli({"-d", kChip, "fuses", "--low", "E1", "--lock", "FC"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find("Byte low: C1 -> E1\n"), std::string::npos) << refused.out;
    EXPECT_NE(refused.out.find("SPI 启用: [x] -> [ ]\n"), std::string::npos) << refused.out;
    EXPECT_NE(refused.err.find("SPI 启用 unticked (serial programming off)"), std::string::npos)
        << refused.err;
    EXPECT_EQ(board.Config().lowFuse, 0xC1);
    EXPECT_EQ(board.Config().lock, 0xFF);

    const CliRun allowed =
        Cli({"-d", kChip, "--json", "--allow-lockout", "fuses", "--low", "E1", "--lock", "FC"});
    EXPECT_EQ(allowed.exitCode, 0) << allowed.err;
    EXPECT_NE(allowed.out.find("\"before\":{\"bytes\":{\"lock\":\"FF\",\"low\":\"C1\"}"),
              std::string::npos)
        << allowed.out;
    EXPECT_NE(allowed.out.find("\"after\":{\"bytes\":{\"lock\":\"FC\",\"low\":\"E1\"}"),
              std::string::npos)
        << allowed.out;
    EXPECT_EQ(board.Config().lowFuse, 0xE1);
    EXPECT_EQ(board.Config().lock, 0xFC);
}

TEST(CliFault, ABoardJobThatThrowsFailsAloneAndTheProgramEnds) {
    struct NoPauses final : Clock {
        void SleepMs(unsigned) override {}
    } clock;
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    const cli::ProgramHost host{
        .newPort = []() -> std::unique_ptr<SerialPort> { throw std::runtime_error("no ports"); },
        .clock = clock,
        .out = out,
        .err = err};
    EXPECT_EQ(cli::RunProgram({"-p", "COM1", "-p", "COM2", "scan"}, host), 1);
    std::rewind(err);
    std::string printed(4096, '\0');
    printed.resize(std::fread(printed.data(), 1, printed.size(), err));
    EXPECT_NE(printed.find("COM2: internal error: no ports"), std::string::npos) << printed;
    std::fclose(out);
    std::fclose(err);
}

TEST_F(CliBoardTest, AnUnansweredFuseReadIsAFailureNotAnFFByte) {
    // The first pass-through is the calibration read, the second the lock byte.
    StartBoard("COM1", {"--fault", "drop:0x3A@2"});
    const CliRun run = Cli({"-d", kChip, "fuses"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("the board did not answer every read"), std::string::npos) << run.err;
}

TEST_F(CliBoardTest, FuseWritesTakeTheDeviceWriteFormAndTheBoardTypeRights) {
    // An old-style device on a serial board: the low fuse bits travel inside the instruction.
    InMemoryBoard& board = StartBoard("COM1", {"--chip", "Orlan 6"});
    EXPECT_EQ(Cli({"-d", "Orlan 6", "fuses", "--low", "DE"}).exitCode, 0);
    EXPECT_NE(board.WireLog().find("host: 3A AC BE 00 "), std::string::npos) << board.WireLog();
    EXPECT_EQ(board.WireLog().find("host: 6C"), std::string::npos)
        << "a lock byte nobody asked for";

    // Fuses and reads are parallel-only on this device: refused before anything is written.
    InMemoryBoard& parallelOnly = StartBoard("COM2", {"--chip", "Orlan 1"});
    const uint8_t lowBefore = parallelOnly.Config().lowFuse;
    const CliRun refused = Cli({"-p", "COM2", "-d", "Orlan 1", "fuses", "--low", "00"});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.err.find("may not write the low byte"), std::string::npos) << refused.err;
    EXPECT_EQ(parallelOnly.Config().lowFuse, lowBefore);
    const CliRun shown = Cli({"-p", "COM2", "-d", "Orlan 1", "fuses"});
    EXPECT_NE(shown.out.find("low       --  no read no write\n"), std::string::npos) << shown.out;
}

TEST_F(CliBoardTest, ThreeBoardsAreProgrammedInParallelByOneCommand) {
    const std::vector<std::string> ports = {"COM1", "COM2", "COM3"};
    for (const std::string& port : ports) {
        StartBoard(port);
    }
    const Bytes data = Pattern(256, 0x42);
    const std::string file = WriteHexFile("a.hex", data);
    const CliRun run = Cli({"-p", "COM1", "-p", "COM2", "-p", "COM3", "-d", kChip, "--json",
                            "program", "flash", file});
    EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
    for (const auto& board : rack.Boards()) {
        const Bytes flash = board->Flash();
        EXPECT_EQ(Bytes(flash.begin(), flash.begin() + 256), data);
    }
    EXPECT_NE(run.err.find("COM2  ok"), std::string::npos) << run.err;
    EXPECT_NE(run.out.find("\"boards\":[{"), std::string::npos) << run.out;

    // One board failing makes the whole command fail with its status.
    rack.Unplug(1);
    EXPECT_EQ(Cli({"-p", "COM1", "-p", "COM2", "-d", kChip, "verify", "flash", file}).exitCode, 3);
}

Bytes ReadBytes(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string ImageData(const std::string& name) {
    return std::string(ZENTARO_IMAGES_DATA) + "/" + name;
}

// Files made by other tools: each programs the same bytes, and a read gives back the format
// its file name (or --format) asks for.
TEST_F(CliBoardTest, FirmwareOfEveryFormatProgramsTheSameChipAndReadsBackAsAsked) {
    InMemoryBoard& board = StartBoard("COM1");
    const Bytes expected = ReadBytes(ImageData("image.bin"));
    std::ofstream(PathOf("image.dat"), std::ios::binary)
        .write(reinterpret_cast<const char*>(expected.data()),
               static_cast<std::streamsize>(expected.size()));
    std::vector<std::vector<std::string>> programs = {{ImageData("image.hex")},
                                                      {ImageData("image_s1.srec")},
                                                      {ImageData("image_s3.s37")},
                                                      {ImageData("image.bin")},
                                                      {PathOf("image.dat"), "--format", "bin"}};
    if (kElfFilesReadable) {
        programs.push_back({ImageData("image_elf32-big.elf")});
    }
    for (const std::vector<std::string>& program : programs) {
        SCOPED_TRACE(program[0]);
        std::vector<std::string> args = {"-d", kChip, "program", "flash"};
        args.insert(args.end(), program.begin(), program.end());
        const CliRun run = Cli(args);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), board.Flash().begin()));
    }
    const CliRun unknown = Cli({"-d", kChip, "program", "flash", PathOf("image.dat")});
    EXPECT_EQ(unknown.exitCode, 4);
    EXPECT_NE(unknown.err.find("image.dat: not a file Zentaro reads"), std::string::npos)
        << unknown.err;

    for (const char* name : {"out.bin", "out.srec", "out.hex"}) {
        SCOPED_TRACE(name);
        ASSERT_EQ(Cli({"-d", kChip, "read", "flash", PathOf(name)}).exitCode, 0);
        const CliRun again = Cli({"-d", kChip, "verify", "flash", PathOf(name)});
        EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    }
    EXPECT_EQ(ReadBytes(PathOf("out.bin")), board.Flash());
    EXPECT_EQ(ReadBytes(PathOf("out.srec")).front(), 'S');
}

TEST_F(CliBoardTest, AnElfFileCarriesTheEepromAndTheFuseBytes) {
    if (!kElfFilesReadable) {
        GTEST_SKIP() << "this build reads no ELF files";
    }
    InMemoryBoard& board = StartBoard("COM1", {"--chip", "Mirval 10"});
    const CliRun eeprom =
        Cli({"-d", "Mirval 10", "program", "eeprom", ImageData("image_elf64-little.elf")});
    EXPECT_EQ(eeprom.exitCode, 0) << eeprom.err;
    const Bytes source = ReadBytes(ImageData("long_records.bin"));
    EXPECT_TRUE(std::equal(source.begin() + 0x300, source.begin() + 0x340, board.Eeprom().begin()));

    const CliRun none = Cli({"-d", "Mirval 10", "program", "eeprom", ImageData("no_eeprom.elf")});
    EXPECT_EQ(none.exitCode, 4);
    EXPECT_NE(none.err.find("no_eeprom.elf: the ELF file has no EEPROM data"), std::string::npos)
        << none.err;

    const CliRun fuses =
        Cli({"-d", "Mirval 10", "fuses", "--from", ImageData("image_elf32-big.elf")});
    EXPECT_EQ(fuses.exitCode, 0) << fuses.err;
    EXPECT_EQ(board.Config().lowFuse, 0xE2);
    EXPECT_EQ(board.Config().highFuse, 0xD9);
    EXPECT_EQ(board.Config().extendedFuse, 0xFD);
    EXPECT_EQ(board.Config().lock, 0xFC);
    EXPECT_EQ(Cli({"-d", "Mirval 10", "fuses", "--from", ImageData("image.hex")}).exitCode, 4);
}

}  // namespace
}  // namespace zentaro::test
