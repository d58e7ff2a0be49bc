// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_options.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <array>
#include <climits>
#include <memory>
#include <string>
#include <utility>

#include "cli/help_text.h"
#include "common/command_line.h"
#include "link/low_io.h"

namespace zentaro::cli {

namespace {

using command_line::AddValue;

constexpr std::array<std::pair<const char*, Verb>, 9> kVerbs = {{
    {"scan", Verb::Scan},
    {"devices", Verb::Devices},
    {"info", Verb::Info},
    {"program", Verb::Program},
    {"verify", Verb::Verify},
    {"read", Verb::Read},
    {"erase", Verb::Erase},
    {"fuses", Verb::Fuses},
    {"job", Verb::Job},
}};

// In the order of CliOptions::fuseWrite.
constexpr std::array<const char*, 4> kFuseOptions = {"--lock", "--low", "--high", "--ext"};

bool TakesMemoryAndFile(Verb verb) {
    return verb == Verb::Program || verb == Verb::Verify || verb == Verb::Read;
}

// "115200, 19200 or 38400".
std::string BoardRates() {
    std::string rates;
    for (size_t i = 0; i < kBoardBaudRates.size(); ++i) {
        rates += i == 0 ? "" : (i + 1 == kBoardBaudRates.size() ? " or " : ", ");
        rates += std::to_string(kBoardBaudRates[i]);
    }
    return rates;
}

// What the command line holds besides the options, for the checks that span both.
struct Rest {
    std::vector<std::string> words;  // the command, memory and file
    bool fuseBytesGiven = false;
};

// Every option, once: the parser and --help are both made from these. The OPTIONS section of
// --help lists them in this order; the fuses command's own options are in its synopsis.
void Declare(CLI::App& app, CliOptions& o, Rest& rest) {
    app.description(HelpIntro());
    app.footer(HelpClosing());
    app.formatter(std::make_shared<command_line::HelpFormatter>(command_line::HelpFormatter::Layout{
        .indent = 4, .column = 14, .headingEnd = "", .notes = {}}));
    app.set_help_flag();  // -h is declared below, as a plain switch
    app.allow_extras();   // unknown options get this program's message
    // An option given again replaces its earlier value; ports add up.
    app.option_defaults()->group("OPTIONS")->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);

    app.add_option("-p,--port", o.ports,
                   "The board's port: COM1 ... COM4 (resolved as the window resolves them) or a\n"
                   "device path such as /dev/ttyUSB0. Skips the scan and tries the scan's three\n"
                   "rates on that port. Given more than once, the command runs on every board\n"
                   "at the same time, with one progress line per port and a summary table.")
        ->type_name("PORT")
        ->allow_extra_args(false);  // one port each time it is given
    AddValue(app, "-b,--baud", "RATE",
             "Only this rate on the given port: " + BoardRates() +
                 ", the rates\nboards run at. Needs --port.",
             [&o](const std::string& text) -> std::string {
                 const auto rate = command_line::ParseNumber(text, INT_MAX);
                 if (!rate || *rate == 0) {
                     return "not a baud rate: " + text;
                 }
                 o.baud = static_cast<int>(*rate);
                 if (std::find(kBoardBaudRates.begin(), kBoardBaudRates.end(), *o.baud) ==
                     kBoardBaudRates.end()) {
                     return "not a rate the board uses: " + text + " (" + BoardRates() + ")";
                 }
                 return "";
             });
    app.add_option("-d,--device", o.device,
                   "The target device, as `devices` lists it. Needed unless the board offers\n"
                   "exactly one.")
        ->type_name("NAME");
    app.add_flag("-y,--yes", o.yes,
                 "Answer Yes to every question (boot area, overwrite, checksum, size).\n"
                 "Without it questions are asked on the terminal; when standard input is no\n"
                 "terminal they are answered No and the declined question is printed.");
    app.add_flag("--no-verify", o.noVerify, "Program without verifying afterwards.");
    app.add_flag("--ignore-checksum", o.ignoreChecksum,
                 "Load HEX files with bad checksums without asking.");
    AddValue(app, "--format", "FORMAT",
             "The file's format: hex, srec, bin or elf (read writes hex, srec or bin).\n"
             "Without it the file's content tells, and read goes by the file's name.",
             [&o](const std::string& text) {
                 o.format = ParseImageFormat(text);
                 return o.format ? "" : "not a file format: " + text + " (hex, srec, bin or elf)";
             });
    app.add_flag("--allow-lockout", o.allowLockout,
                 "Write even when the bytes would take the chip out of reach of this\n"
                 "programmer (serial programming turned off on a serial programmer, or reset\n"
                 "disabled); without it such a write is refused with exit status 1 and the\n"
                 "settings named. Only with fuses and job.");
    app.add_option("--log", o.logFile,
                   "job: append one JSON line per chip to FILE, the production record\n"
                   "(see the JOB FILE section).")
        ->type_name("FILE");
    app.add_flag("--repeat", o.repeat,
                 "job: after each chip, Enter runs the job on the next chip, q (or end of\n"
                 "input, or Ctrl-C) ends the run with a summary.");
    app.add_flag("--json", o.json,
                 "Print one JSON object on standard output: command, device, port, bytes,\n"
                 "seconds, ok, exit, message (several ports: a \"boards\" array; fuses with\n"
                 "values: also \"before\" and \"after\"). Other output goes to standard error.");
    app.add_flag("-q,--quiet", o.quiet, "Print nothing but errors.");
    app.add_flag("--version", o.version, "Print the version.");
    app.add_flag("-h,--help", o.help, "Print this text.");

    for (size_t i = 0; i < kFuseOptions.size(); ++i) {
        const std::string name = kFuseOptions[i];
        AddValue(app, name, "XX", "", [&o, &rest, i, name](const std::string& text) {
            const auto byte = command_line::ParseNumber(text, 0xFF, 16);
            if (!byte) {
                return name + " needs a byte in hex, such as FF: " + text;
            }
            o.fuseWrite[i] = static_cast<uint8_t>(*byte);
            rest.fuseBytesGiven = true;
            return std::string();
        })->group("");
    }
    app.add_option("--from", o.fusesFrom)->type_name("FILE")->group("");
    app.add_option("words", rest.words)->group("");
}

// The command and what it takes, and the options that belong to other commands.
std::string CheckWords(const Rest& rest, CliOptions& o) {
    const std::vector<std::string>& words = rest.words;
    if (words.empty()) {
        return "no command given";
    }
    const auto verb = std::find_if(kVerbs.begin(), kVerbs.end(),
                                   [&](const auto& entry) { return words[0] == entry.first; });
    if (verb == kVerbs.end()) {
        return "unknown command " + words[0];
    }
    o.verb = verb->second;
    size_t expected = 1;
    if (o.verb == Verb::Job) {
        expected = 2;
        if (words.size() < expected) {
            return "job needs a job file";
        }
        o.file = words[1];
    }
    if (TakesMemoryAndFile(o.verb)) {
        expected = 3;
        if (words.size() != expected) {
            return words[0] + " needs flash or eeprom and a file";
        }
        if (words[1] == "flash") {
            o.memory = Memory::Flash;
        } else if (words[1] == "eeprom") {
            o.memory = Memory::Eeprom;
        } else {
            return "not a memory: " + words[1] + " (flash or eeprom)";
        }
        o.file = words[2];
    }
    if (words.size() != expected) {
        return "unexpected argument " + words[expected];
    }
    if (rest.fuseBytesGiven && o.verb != Verb::Fuses) {
        return "--lock, --low, --high and --ext belong to the fuses command";
    }
    if (o.allowLockout && o.verb != Verb::Fuses && o.verb != Verb::Job) {
        return "--allow-lockout belongs to the fuses and job commands";
    }
    if ((!o.logFile.empty() || o.repeat) && o.verb != Verb::Job) {
        return "--log and --repeat belong to the job command";
    }
    if (o.verb == Verb::Job && (!o.device.empty() || o.noVerify || o.ignoreChecksum)) {
        return "the job file names the device and whether to verify: give job without "
               "--device, --no-verify and --ignore-checksum";
    }
    if (!o.fusesFrom.empty() && o.verb != Verb::Fuses) {
        return "--from belongs to the fuses command";
    }
    if (!o.fusesFrom.empty() && rest.fuseBytesGiven) {
        return "--from takes the bytes from the file: give it without --lock, --low, --high "
               "and --ext";
    }
    if (o.format && !TakesMemoryAndFile(o.verb)) {
        return "--format belongs to the program, verify and read commands";
    }
    if (o.format == ImageFormat::Elf && o.verb == Verb::Read) {
        return "a chip is read to Intel HEX, S-record or raw binary, not to ELF";
    }
    if (o.baud && o.ports.empty()) {
        return "--baud needs --port";
    }
    return "";
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    ParsedCommandLine result;
    Rest rest;
    CLI::App app;
    Declare(app, result.options, rest);
    using Kind = command_line::ParseFault::Kind;
    switch (const command_line::ParseFault fault = command_line::Parse(app, args); fault.kind) {
        case Kind::kNone:
            break;
        case Kind::kNoValue:
            result.error = fault.text + " needs a value";
            return result;
        case Kind::kUnknown:
            result.error = "unknown option " + fault.text;
            return result;
        case Kind::kOther:
            result.error = fault.text;
            return result;
    }
    if (!result.options.help && !result.options.version) {
        result.error = CheckWords(rest, result.options);
    }
    return result;
}

std::string HelpText() {
    CliOptions options;
    Rest rest;
    CLI::App app;
    Declare(app, options, rest);
    return app.help();
}

const char* VerbName(Verb verb) {
    for (const auto& [name, value] : kVerbs) {
        if (value == verb) {
            return name;
        }
    }
    return "";
}

std::string CommandName(const CliOptions& options) {
    std::string name = VerbName(options.verb);
    if (TakesMemoryAndFile(options.verb)) {
        name += options.memory == Memory::Flash ? " flash" : " eeprom";
    }
    return name;
}

bool NeedsDevice(Verb verb) {
    return verb != Verb::Scan && verb != Verb::Devices;
}

bool WritesFuses(const CliOptions& options) {
    for (const auto& byte : options.fuseWrite) {
        if (byte) {
            return true;
        }
    }
    return false;
}

}  // namespace zentaro::cli
