// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's pieces that need no board: option parsing, the JSON and progress texts,
// and the configuration-byte rights by device and board type.

#include <gtest/gtest.h>

#include "catalogue/device_table.h"
#include "cli/cli_options.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "session/config_report.h"

namespace zentaro::cli {
namespace {

TEST(CliOptions, ParsesPortsFuseBytesAndSwitchesInAnyOrder) {
    const ParsedCommandLine parsed =
        ParseCommandLine({"fuses", "-p", "COM1", "--low", "0xE2", "--port", "/dev/ttyUSB0",
                          "--lock", "c0", "-y", "--allow-lockout"});
    ASSERT_EQ(parsed.error, "");
    const CliOptions& o = parsed.options;
    EXPECT_EQ(o.verb, Verb::Fuses);
    EXPECT_EQ(o.ports, (std::vector<std::string>{"COM1", "/dev/ttyUSB0"}));
    EXPECT_EQ(o.fuseWrite[0], std::optional<uint8_t>(0xC0));
    EXPECT_EQ(o.fuseWrite[1], std::optional<uint8_t>(0xE2));
    EXPECT_FALSE(o.fuseWrite[2] || o.fuseWrite[3]);
    EXPECT_TRUE(o.yes);
    EXPECT_TRUE(o.allowLockout);

    const ParsedCommandLine program =
        ParseCommandLine({"-d", "Mirval 10", "--no-verify", "program", "eeprom", "-"});
    ASSERT_EQ(program.error, "");
    EXPECT_EQ(CommandName(program.options), "program eeprom");
    EXPECT_EQ(program.options.file, "-");
    EXPECT_TRUE(program.options.noVerify);
}

TEST(CliOptions, RejectsWhatCannotBeMeant) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"fuses", "--high", "G1"},
                                               {"fuses", "--ext"},
                                               {"-p"},
                                               {"scan", "extra"},
                                               {"verify", "flash"},
                                               {"--frobnicate", "scan"},
                                               {"--allow-lockout", "-d", "Mirval 10", "erase"},
                                               {"-p", "COM1", "-b", "0", "scan"}}) {
        EXPECT_NE(ParseCommandLine(args).error, "") << args.front();
    }
    EXPECT_EQ(ParseCommandLine({"--help"}).error, "");
    EXPECT_EQ(ParseCommandLine({"-p", "COM1", "-b", "12345", "scan"}).error,
              "not a rate the board uses: 12345 (115200, 19200 or 38400)");
    EXPECT_EQ(ParseCommandLine({"-p", "COM1", "-b", "38400", "scan"}).error, "");
}

TEST(CliReport, JsonEscapesQuotesBackslashesAndControlBytes) {
    EXPECT_EQ(JsonString("a\"b\\c\nd\x01\t"), "\"a\\\"b\\\\c\\nd\\u0001\\u0009\"");
    EXPECT_EQ(JsonString("校验 OK"), "\"校验 OK\"");
}

TEST(CliReport, WorstExitWins) {
    std::vector<BoardResult> results(3);
    results[0].exitCode = kExitOk;
    results[1].exitCode = kExitNoBoard;
    results[2].exitCode = kExitFailed;
    EXPECT_EQ(WorstExit(results), kExitNoBoard);
}

TEST(CliTerminal, ProgressBarStaysInItsWidthWhateverThePosition) {
    EXPECT_EQ(ProgressBar(0, 0), "");
    EXPECT_EQ(ProgressBar(-5, 10), "[------------------------------]   0%");
    EXPECT_EQ(ProgressBar(5, 10), "[###############---------------]  50%");
    EXPECT_EQ(ProgressBar(99, 10), "[##############################] 100%");
}

TEST(ConfigRights, FollowTheDeviceAndTheBoardType) {
    const DeviceRecord& full = FindDeviceByName("Mirval 10");
    const auto serial = RightsFor(full, 'S', 3);
    for (const ConfigByteRights& rights : serial) {
        EXPECT_TRUE(rights.present && rights.readable && rights.writable);
    }

    // Fuses and reads for the parallel type only; the lock for both.
    const DeviceRecord& parallelOnly = FindDeviceByName("Orlan 1");
    const auto onSerial = RightsFor(parallelOnly, 'S', 3);
    EXPECT_FALSE(onSerial[1].readable || onSerial[1].writable);
    EXPECT_TRUE(onSerial[0].writable);
    EXPECT_FALSE(onSerial[2].present);
    EXPECT_TRUE(RightsFor(parallelOnly, 'P', 3)[1].writable);
    // A board that never named its type gets only what both types may.
    EXPECT_FALSE(RightsFor(parallelOnly, 0, 3)[1].writable);

    ConfigWrite request{};
    request[2] = 0xD9;
    EXPECT_EQ(RefusalFor(request, onSerial), "this device has no high byte");
    request = {};
    request[1] = 0xE2;
    EXPECT_EQ(RefusalFor(request, onSerial),
              "this programmer may not write the low byte of this device");
    EXPECT_EQ(RefusalFor(request, serial), "");
}

}  // namespace
}  // namespace zentaro::cli
