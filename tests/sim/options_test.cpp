// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/options.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace zentaro::sim {
namespace {

TEST(Options, DefaultsDescribeTheDemoBoard) {
    const ParsedOptions parsed = ParseOptions({});
    ASSERT_EQ(parsed.error, "");
    const BoardOptions& o = parsed.options;
    EXPECT_EQ(o.port, "COM1");
    EXPECT_EQ(o.chip, "Mirval 10");
    EXPECT_EQ(o.modes, "S");
    EXPECT_EQ(o.level, 3);
    EXPECT_EQ(o.blockSize, 256);
    EXPECT_TRUE(o.autoIncrement);
    EXPECT_EQ(o.programmerType, 'S');
    EXPECT_EQ(o.baud, 115200u);
    EXPECT_TRUE(o.deviceCodes.empty());
}

TEST(Options, FaultsParseWithOccurrenceAndArgument) {
    const ParsedOptions parsed =
        ParseOptions({"--fault", "drop:S", "--fault", "wrong:0x1B@3=0x41", "--fault",
                      "late:T@2=1500", "--fault", "late:P", "--fault", "hangup:100"});
    ASSERT_EQ(parsed.error, "");
    const auto& faults = parsed.options.faults;
    ASSERT_EQ(faults.size(), 5u);
    EXPECT_EQ(faults[0].kind, Fault::Kind::kDrop);
    EXPECT_EQ(faults[0].command, 'S');
    EXPECT_EQ(faults[0].occurrence, 0u);
    EXPECT_EQ(faults[1].kind, Fault::Kind::kWrong);
    EXPECT_EQ(faults[1].command, 0x1B);
    EXPECT_EQ(faults[1].occurrence, 3u);
    EXPECT_EQ(faults[1].wrongByte, 0x41);
    EXPECT_EQ(faults[2].delay, std::chrono::milliseconds(1500));
    EXPECT_EQ(faults[2].occurrence, 2u);
    EXPECT_EQ(faults[3].delay, std::chrono::milliseconds(5000));
    EXPECT_EQ(faults[4].kind, Fault::Kind::kHangUp);
    EXPECT_EQ(faults[4].afterBytes, 100u);
}

TEST(Options, BadArgumentsAreReportedNotGuessed) {
    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"--id", "MZR"},
             {"--version", "123"},
             {"--type", "X"},
             {"--auto-increment", "yes"},
             {"--block-size", "65536"},
             {"--level", "256"},
             {"--level", "3x"},
             {"--devices", "0x43,,0x3A"},
             {"--devices", "0x00"},
             {"--lock", "0x100"},
             {"--fault", "drop:S=3"},
             {"--fault", "wrong:S"},
             {"--fault", "late:S@0"},
             {"--fault", "explode:S"},
             {"--fault", "drop:SS"},
             {"--chip"},
             {"--frobnicate"},
         }) {
        EXPECT_NE(ParseOptions(args).error, "") << args[0] << " " << args.back();
    }
    EXPECT_EQ(ParseOptions({"--level"}).error, "option --level needs a value");
    EXPECT_EQ(ParseOptions({"--type", "X"}).error, "bad value for --type: 'X'");
}

TEST(Options, HelpDocumentsEveryOption) {
    const std::string help = HelpText();
    for (const char* option : {"--port",         "--config-home",  "--baud",
                               "--pace",         "--log",          "--id",
                               "--version",      "--type",         "--auto-increment",
                               "--block-size",   "--devices",      "--modes",
                               "--level",        "--upgrade-mode", "--chip",
                               "--lock",         "--low-fuse",     "--high-fuse",
                               "--ext-fuse",     "--calibration",  "--flash-image",
                               "--eeprom-image", "--state",        "drop:",
                               "wrong:",         "late:",          "hangup:",
                               "--help"}) {
        EXPECT_NE(help.find(option), std::string::npos) << option;
    }
    EXPECT_TRUE(ParseOptions({"--help"}).options.help);
}

TEST(Options, WhatCannotBeTakenIsNamed) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--frobnicate"}, "unknown option '--frobnicate' (see --help)"},
        {{"--pace", "stray"}, "unknown option 'stray' (see --help)"},
        {{"--port", "COM2", "--port"}, "option --port needs a value"},
        {{"--devices", "0x43,,0x3A"}, "bad value for --devices: '0x43,,0x3A'"},
    };
    for (const auto& [args, error] : rows) {
        EXPECT_EQ(ParseOptions(args).error, error) << args.front();
    }
}

TEST(Options, HelpShowsEachGroupUnderItsHeading) {
    const std::string help = HelpText();
    for (const char* part : {
             "\n\nPort:\n  --port COMn            port name to link (default COM1)\n",
             "\n  --lock V, --low-fuse V, --high-fuse V, --ext-fuse V, --calibration V\n"
             "                         initial configuration bytes (defaults FF, E1, D9, FF; the\n",
             "\n\nFaults (--fault may be repeated):\n"
             "  --fault FAULT          a fault to inject, one of:\n"
             "    drop:C[@N]           no reply",
             "\n\nOther:\n  -h, --help             this text\n\nAt exit",
         }) {
        EXPECT_NE(help.find(part), std::string::npos) << part;
    }
}

}  // namespace
}  // namespace zentaro::sim
