// SPDX-License-Identifier: GPL-3.0-or-later
// The command line's pieces that need no board: option parsing, the JSON and progress texts,
// and the configuration-byte rights by device and board type.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "catalogue/device_table.h"
#include "cli/cli_options.h"
#include "cli/flat_json.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "session/config_report.h"

namespace zentaro::cli {
namespace {

using test::ParseFlatJson;

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

TEST(CliOptions, UsageErrorsSayWhatIsWrong) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"-p"}, "-p needs a value"},
        {{"--frobnicate", "scan"}, "unknown option --frobnicate"},
        {{"fuses", "--high", "G1"}, "--high needs a byte in hex, such as FF: G1"},
        {{"-p", "COM1", "-b", "fast", "scan"}, "not a baud rate: fast"},
        {{"-b", "115200", "scan"}, "--baud needs --port"},
        {{"--format", "doc", "scan"}, "not a file format: doc (hex, srec, bin or elf)"},
        {{"erase", "--low", "E2"}, "--lock, --low, --high and --ext belong to the fuses command"},
        {{"frob"}, "unknown command frob"},
    };
    for (const auto& [args, error] : rows) {
        EXPECT_EQ(ParseCommandLine(args).error, error) << args.front();
    }
}

TEST(CliOptions, OptionsGivenAgainOrWithEqualsCountAsTyped) {
    const ParsedCommandLine parsed =
        ParseCommandLine({"--device=Mirval 2", "-d", "Mirval 10", "--port=COM2", "-yq", "erase"});
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.options.device, "Mirval 10");
    EXPECT_EQ(parsed.options.ports, std::vector<std::string>{"COM2"});
    EXPECT_TRUE(parsed.options.yes && parsed.options.quiet);
}

TEST(CliOptions, HelpListsEachOptionWithItsValueAndText) {
    const std::string help = HelpText();
    for (const char* entry :
         {"\nOPTIONS\n    -p, --port PORT\n              The board's port: COM1 ... COM4",
          "\n    -b, --baud RATE\n              Only this rate on the given port: 115200, 19200 "
          "or 38400, the rates\n              boards run at. Needs --port.\n",
          "\n    --json    Print one JSON object on standard output",
          "\n    --version Print the version.\n    -h, --help\n              Print this text.\n"
          "\nEXIT STATUS\n"}) {
        EXPECT_NE(help.find(entry), std::string::npos) << entry;
    }
    // The fuses command's own options are in its synopsis only.
    EXPECT_EQ(help.find("    --low"), std::string::npos);
}

TEST(CliReport, JsonCarriesQuotesBackslashesControlBytesAndUtf8AsTheyWere) {
    for (const std::string message : {"a\"b\\c\nd\x01\t", "校验 OK"}) {
        BoardResult result;
        result.message = message;
        const std::string json = JsonReport("erase", {result});
        EXPECT_EQ(ParseFlatJson(json)["message"], message);
        EXPECT_FALSE(std::ranges::any_of(json, [](char c) { return c >= 0 && c < 0x20; }))
            << json;  // every control byte escaped
    }
    BoardResult utf8;
    utf8.message = "校验 OK";
    EXPECT_NE(JsonReport("erase", {utf8}).find("\"校验 OK\""), std::string::npos);
}

TEST(CliReport, BytesThatAreNotUtf8BecomeTheReplacementCharacter) {
    BoardResult result;
    result.port = "/dev/tty\xff";
    result.message = "OK \xc3";  // a sequence cut short, as a board's text may be
    const auto fields = ParseFlatJson(JsonReport("scan", {result}));
    EXPECT_EQ(fields.at("port"), "/dev/tty\xEF\xBF\xBD");
    EXPECT_EQ(fields.at("message"), "OK \xEF\xBF\xBD");
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
