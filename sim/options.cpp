// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/options.h"

#include <CLI/CLI.hpp>
#include <functional>
#include <memory>
#include <utility>

#include "common/command_line.h"

namespace zentaro::sim {

namespace {

using command_line::ParseNumber;

// Decimal, or hexadecimal after 0x.
std::optional<uint8_t> ParseByte(std::string_view text) {
    const auto value = ParseNumber(text, 0xFF);
    return value ? std::optional<uint8_t>(static_cast<uint8_t>(*value)) : std::nullopt;
}

std::optional<bool> ParseYesNo(std::string_view text) {
    if (text == "Y" || text == "y") {
        return true;
    }
    if (text == "N" || text == "n") {
        return false;
    }
    return std::nullopt;
}

std::optional<std::vector<uint8_t>> ParseCodeList(std::string_view text) {
    std::vector<uint8_t> codes;
    while (!text.empty()) {
        const size_t comma = text.find(',');
        const auto code = ParseByte(text.substr(0, comma));
        if (!code || *code == 0) {
            return std::nullopt;
        }
        codes.push_back(*code);
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    if (codes.empty()) {
        return std::nullopt;
    }
    return codes;
}

// "C" or "C@N": the command character (or a 0xNN byte) and the occurrence.
bool ParseCommandRef(std::string_view text, Fault& fault) {
    const size_t at = text.find('@');
    if (at != std::string_view::npos) {
        const auto occurrence = ParseNumber(text.substr(at + 1), 1'000'000'000);
        if (!occurrence || *occurrence == 0) {
            return false;
        }
        fault.occurrence = static_cast<unsigned>(*occurrence);
        text = text.substr(0, at);
    }
    if (text.size() == 1) {
        fault.command = static_cast<uint8_t>(text[0]);
        return true;
    }
    const auto byte = text.size() > 2 ? ParseByte(text) : std::nullopt;
    if (byte) {
        fault.command = *byte;
    }
    return byte.has_value();
}

std::optional<Fault> ParseFault(std::string_view text) {
    const size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view kind = text.substr(0, colon);
    std::string_view rest = text.substr(colon + 1);
    Fault fault;
    if (kind == "hangup") {
        const auto bytes = ParseNumber(rest, UINT64_MAX);
        if (!bytes) {
            return std::nullopt;
        }
        fault.kind = Fault::Kind::kHangUp;
        fault.afterBytes = *bytes;
        return fault;
    }
    const size_t equals = rest.find('=');
    const std::string_view argument =
        equals == std::string_view::npos ? std::string_view() : rest.substr(equals + 1);
    rest = rest.substr(0, equals);
    if (!ParseCommandRef(rest, fault)) {
        return std::nullopt;
    }
    if (kind == "drop" && equals == std::string_view::npos) {
        fault.kind = Fault::Kind::kDrop;
        return fault;
    }
    if (kind == "wrong") {
        const auto byte = ParseByte(argument);
        if (!byte) {
            return std::nullopt;
        }
        fault.kind = Fault::Kind::kWrong;
        fault.wrongByte = *byte;
        return fault;
    }
    if (kind == "late") {
        fault.kind = Fault::Kind::kLate;
        if (equals != std::string_view::npos) {
            const auto ms = ParseNumber(argument, 3'600'000);
            if (!ms) {
                return std::nullopt;
            }
            fault.delay = std::chrono::milliseconds(*ms);
        }
        return fault;
    }
    return std::nullopt;
}

constexpr char kChipNote[] = R"(
  The chip behaves like silicon: flash and lock bits can only be programmed (1 -> 0);
  chip erase ('e') sets flash and the lock byte back to FF and keeps EEPROM and fuses.
  Out-of-range addresses read FF and ignore writes. Commands that touch the chip are
  answered with '?' outside programming mode, as are unknown commands. The signature
  is sent with its last byte first.
)";

constexpr char kFaultNote[] =
    R"(    drop:C[@N]           no reply to command C (its N-th occurrence, default every one)
    wrong:C[@N]=V        the first reply byte to C is V instead
    late:C[@N][=MS]      the reply to C comes MS milliseconds late (default 5000)
    hangup:N             after N bytes received the board goes silent for good
  C is the command letter, or 0xNN; T = the select-device block, [ = the upgrade-mode
  identification.
)";

// An option that takes a value; take says whether it could use it.
void Value(CLI::App& app, const std::string& name, const std::string& valueName,
           const std::string& help, std::function<bool(const std::string&)> take) {
    command_line::AddValue(
        app, name, valueName, help, [name, take = std::move(take)](const std::string& value) {
            return take(value) ? std::string() : "bad value for " + name + ": '" + value + "'";
        });
}

std::function<bool(const std::string&)> Text(std::string& field, size_t exactLength = 0) {
    return [&field, exactLength](const std::string& value) {
        field = value;
        return exactLength == 0 ? !value.empty() : value.size() == exactLength;
    };
}

std::function<bool(const std::string&)> OptionalByte(std::optional<uint8_t>& field) {
    return [&field](const std::string& value) {
        field = ParseByte(value);
        return field.has_value();
    };
}

// Every option, once: the parser and --help are both made from these, each group under its
// heading in this order.
void Declare(CLI::App& app, BoardOptions& o) {
    app.description(
        R"(zentaro-sim - a simulated programmer board with a target chip, on a pseudo-terminal

Usage: zentaro-sim [options]

The board creates a pseudo-terminal and links it as a COM port, i.e. makes the symbolic
link <config home>/Veltrona/Zentaro/ports/COMn point to it, so that Zentaro finds it. The
link is removed on exit (SIGINT, SIGTERM or SIGHUP). A link already there is never taken
over, save one that leads nowhere and that an earlier zentaro-sim left behind when it was
killed (the board notes each link it makes in the hidden file .COMn.zentaro-sim beside it).)");
    app.footer(
        R"(At exit the board prints the bytes received and sent and the number of commands answered.

Exit status:
  0  after a clean stop
  1  serving failed
  2  the options are wrong or the port could not be linked)");
    constexpr char kFaults[] = "Faults (--fault may be repeated)";
    app.formatter(std::make_shared<command_line::HelpFormatter>(command_line::HelpFormatter::Layout{
        .indent = 2,
        .column = 25,
        .headingEnd = ":",
        .notes = {{"Chip", kChipNote}, {kFaults, kFaultNote}}}));
    app.set_help_flag();  // -h is declared below, as a plain switch
    app.allow_extras();   // unknown options get this program's message

    app.option_defaults()->group("Port");
    Value(app, "--port", "COMn", "port name to link (default COM1)", Text(o.port));
    Value(app, "--config-home", "DIR", "config home (default $XDG_CONFIG_HOME, else ~/.config)",
          Text(o.configHome));
    Value(app, "--baud", "N",
          "line rate the board listens at (default 115200); bytes the host\n"
          "sends at any other rate are read and dropped without an answer",
          [&o](const std::string& value) {
              const auto baud = ParseNumber(value, 4'000'000);
              o.baud = static_cast<unsigned>(baud.value_or(0));
              return baud.has_value();
          });
    app.add_flag("--pace", o.pace, "move bytes at the real line rate (10 bits per byte at --baud)");
    Value(app, "--log", "FILE",
          "log every exchange, one line each: seconds since start, the\n"
          "command, the host's bytes and the board's reply in hex, and a\n"
          "note (e.g. \"  0.052 'A'  host: 41 00 10  board: 0D\"); - = stderr",
          Text(o.logFile));

    app.option_defaults()->group("Board");
    Value(app, "--id", "TEXT", "identifier, exactly 7 characters (default MZR-SIM)",
          Text(o.identifier, 7));
    Value(app, "--version", "XY",
          "software version, 2 characters (default 12); --version alone\n"
          "prints the version of zentaro-sim itself",
          Text(o.version, 2));
    Value(app, "--type", "S|P", "programmer type: S serial, P parallel (default S)",
          [&o](const std::string& value) {
              o.programmerType = value.empty() ? 0 : static_cast<uint8_t>(value[0]);
              return value == "S" || value == "P";
          });
    Value(app, "--auto-increment", "Y|N",
          "whether the address counter advances by itself (default Y)",
          [&o](const std::string& value) {
              const auto yes = ParseYesNo(value);
              o.autoIncrement = yes.value_or(o.autoIncrement);
              return yes.has_value();
          });
    Value(app, "--block-size", "N", "bytes per block transfer, 0 = no block commands (default 256)",
          [&o](const std::string& value) {
              const auto size = ParseNumber(value, 0xFFFF);
              o.blockSize = static_cast<uint16_t>(size.value_or(0));
              return size.has_value();
          });
    Value(app, "--devices", "C1,C2,...",
          "list-type board: answer 't' with these device codes (hex 0xNN or\n"
          "decimal); the host then sends the 5-byte select-device block",
          [&o](const std::string& value) {
              auto codes = ParseCodeList(value);
              o.deviceCodes = codes.value_or(std::vector<uint8_t>());
              return codes.has_value();
          });
    Value(app, "--modes", "TEXT", "level-type board: mode characters for 'O' (default S; ? = none)",
          [&o](const std::string& value) {
              o.modes = value;
              return !value.empty() && value.size() < 20 && value.find('\0') == std::string::npos;
          });
    Value(app, "--level", "N",
          "programmer level for 'K' (default 3); it also fixes the length\n"
          "of the select-device block the board expects: 22 bytes at level\n"
          "1, 27 at 2 to 4, 28 at 5 and above",
          [&o](const std::string& value) {
              const auto level = ParseByte(value);
              o.level = level.value_or(o.level);
              return level.has_value();
          });
    app.add_flag("--upgrade-mode", o.upgradeMode,
                 "the board answers only the upgrade-mode identification\n"
                 "(ESC ESC \"[MZR-Tools-upgr]\" then ESC) and ignores everything else");

    app.option_defaults()->group("Chip");
    Value(app, "--chip", "NAME",
          "device-table name of the chip fitted (default \"Mirval 10\").\n"
          "The fitted chip stays in place whatever the host selects: a\n"
          "select-device block for another code is acknowledged and logged,\n"
          "and memory commands still reach the fitted chip.",
          Text(o.chip));
    // One entry in --help for all five.
    constexpr char kBytesHelp[] =
        "initial configuration bytes (defaults FF, E1, D9, FF; the\n"
        "calibration byte defaults to a value derived from the chip)";
    Value(app, "--lock", "V", kBytesHelp, OptionalByte(o.lock));
    Value(app, "--low-fuse", "V", kBytesHelp, OptionalByte(o.lowFuse));
    Value(app, "--high-fuse", "V", kBytesHelp, OptionalByte(o.highFuse));
    Value(app, "--ext-fuse", "V", kBytesHelp, OptionalByte(o.extendedFuse));
    Value(app, "--calibration", "V", kBytesHelp, OptionalByte(o.calibration));
    Value(app, "--flash-image", "FILE", "raw bytes preloaded into flash from address 0",
          Text(o.flashImage));
    Value(app, "--eeprom-image", "FILE", "raw bytes preloaded into EEPROM from address 0",
          Text(o.eepromImage));
    Value(app, "--state", "FILE",
          "load flash, EEPROM, lock and fuses from FILE when it exists, save\n"
          "them there when the host leaves programming mode after a change\n"
          "and at exit. A state file of another chip is refused. Images and\n"
          "configuration options given as well are applied on top of it.",
          Text(o.stateFile));

    app.option_defaults()->group(kFaults);
    Value(app, "--fault", "FAULT", "a fault to inject, one of:", [&o](const std::string& value) {
        const auto fault = ParseFault(value);
        if (fault) {
            o.faults.push_back(*fault);
        }
        return fault.has_value();
    });

    app.option_defaults()->group("Other");
    app.add_flag("-h,--help", o.help, "this text");
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    CLI::App app;
    Declare(app, result.options);
    using Kind = command_line::ParseFault::Kind;
    switch (const command_line::ParseFault fault = command_line::Parse(app, args); fault.kind) {
        case Kind::kNone:
            break;
        case Kind::kNoValue:
            result.error = "option " + fault.text + " needs a value";
            break;
        case Kind::kUnknown:
            result.error = "unknown option '" + fault.text + "' (see --help)";
            break;
        case Kind::kOther:
            result.error = fault.text;
            break;
    }
    return result;
}

std::string HelpText() {
    BoardOptions options;
    CLI::App app;
    Declare(app, options);
    return app.help();
}

}  // namespace zentaro::sim
