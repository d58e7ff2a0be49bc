// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/options.h"

#include <charconv>
#include <functional>
#include <map>

namespace zentaro::sim {

namespace {

// Decimal, or hexadecimal with a 0x prefix; the whole text must be the number.
std::optional<uint64_t> ParseNumber(std::string_view text, uint64_t max) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    uint64_t value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || value > max) {
        return std::nullopt;
    }
    return value;
}

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

using Setter = std::function<bool(BoardOptions&, const std::string&)>;

template <typename T>
Setter Store(std::optional<T> (*parse)(std::string_view), T BoardOptions::*field) {
    return [parse, field](BoardOptions& o, const std::string& v) {
        const auto parsed = parse(v);
        if (parsed) {
            o.*field = *parsed;
        }
        return parsed.has_value();
    };
}

Setter StoreOptionalByte(std::optional<uint8_t> BoardOptions::*field) {
    return [field](BoardOptions& o, const std::string& v) {
        o.*field = ParseByte(v);
        return (o.*field).has_value();
    };
}

Setter StoreText(std::string BoardOptions::*field, size_t exactLength = 0) {
    return [field, exactLength](BoardOptions& o, const std::string& v) {
        o.*field = v;
        return exactLength == 0 ? !v.empty() : v.size() == exactLength;
    };
}

const std::map<std::string, Setter>& ValueOptions() {
    static const std::map<std::string, Setter> options = {
        {"--port", StoreText(&BoardOptions::port)},
        {"--config-home", StoreText(&BoardOptions::configHome)},
        {"--chip", StoreText(&BoardOptions::chip)},
        {"--id", StoreText(&BoardOptions::identifier, 7)},
        {"--version", StoreText(&BoardOptions::version, 2)},
        {"--type",
         [](BoardOptions& o, const std::string& v) {
             o.programmerType = v.empty() ? 0 : static_cast<uint8_t>(v[0]);
             return v == "S" || v == "P";
         }},
        {"--auto-increment", Store(&ParseYesNo, &BoardOptions::autoIncrement)},
        {"--block-size",
         [](BoardOptions& o, const std::string& v) {
             const auto size = ParseNumber(v, 0xFFFF);
             o.blockSize = static_cast<uint16_t>(size.value_or(0));
             return size.has_value();
         }},
        {"--devices", Store(&ParseCodeList, &BoardOptions::deviceCodes)},
        {"--modes",
         [](BoardOptions& o, const std::string& v) {
             o.modes = v;
             return !v.empty() && v.size() < 20 && v.find('\0') == std::string::npos;
         }},
        {"--level", Store(&ParseByte, &BoardOptions::level)},
        {"--baud",
         [](BoardOptions& o, const std::string& v) {
             const auto baud = ParseNumber(v, 4'000'000);
             o.baud = static_cast<unsigned>(baud.value_or(0));
             return baud.has_value();
         }},
        {"--lock", StoreOptionalByte(&BoardOptions::lock)},
        {"--low-fuse", StoreOptionalByte(&BoardOptions::lowFuse)},
        {"--high-fuse", StoreOptionalByte(&BoardOptions::highFuse)},
        {"--ext-fuse", StoreOptionalByte(&BoardOptions::extendedFuse)},
        {"--calibration", StoreOptionalByte(&BoardOptions::calibration)},
        {"--flash-image", StoreText(&BoardOptions::flashImage)},
        {"--eeprom-image", StoreText(&BoardOptions::eepromImage)},
        {"--state", StoreText(&BoardOptions::stateFile)},
        {"--log", StoreText(&BoardOptions::logFile)},
        {"--fault",
         [](BoardOptions& o, const std::string& v) {
             const auto fault = ParseFault(v);
             if (fault) {
                 o.faults.push_back(*fault);
             }
             return fault.has_value();
         }},
    };
    return options;
}

}  // namespace

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
    ParsedOptions result;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (name == "--help" || name == "-h") {
            result.options.help = true;
        } else if (name == "--upgrade-mode") {
            result.options.upgradeMode = true;
        } else if (name == "--pace") {
            result.options.pace = true;
        } else if (const auto it = ValueOptions().find(name); it != ValueOptions().end()) {
            if (i + 1 >= args.size()) {
                result.error = "option " + name + " needs a value";
                return result;
            }
            const std::string& value = args[++i];
            if (!it->second(result.options, value)) {
                result.error = "bad value for " + name + ": '" + value + "'";
                return result;
            }
        } else {
            result.error = "unknown option '" + name + "' (see --help)";
            return result;
        }
    }
    return result;
}

std::string HelpText() {
    return R"(zentaro-sim - a simulated programmer board with a target chip, on a pseudo-terminal

Usage: zentaro-sim [options]

The board creates a pseudo-terminal and links it as a COM port, i.e. makes the symbolic
link <config home>/Veltrona/Zentaro/ports/COMn point to it, so that Zentaro finds it. The
link is removed on exit (SIGINT, SIGTERM or SIGHUP). A link already there is never taken
over, save one that leads nowhere and that an earlier zentaro-sim left behind when it was
killed (the board notes each link it makes in the hidden file .COMn.zentaro-sim beside it).

Port:
  --port COMn            port name to link (default COM1)
  --config-home DIR      config home (default $XDG_CONFIG_HOME, else ~/.config)
  --baud N               line rate the board listens at (default 115200); bytes the host
                         sends at any other rate are read and dropped without an answer
  --pace                 move bytes at the real line rate (10 bits per byte at --baud)
  --log FILE             log every exchange, one line each: seconds since start, the
                         command, the host's bytes and the board's reply in hex, and a
                         note (e.g. "  0.052 'A'  host: 41 00 10  board: 0D"); - = stderr

Board:
  --id TEXT              identifier, exactly 7 characters (default MZR-SIM)
  --version XY           software version, 2 characters (default 12); --version alone
                         prints the version of zentaro-sim itself
  --type S|P             programmer type: S serial, P parallel (default S)
  --auto-increment Y|N   whether the address counter advances by itself (default Y)
  --block-size N         bytes per block transfer, 0 = no block commands (default 256)
  --devices C1,C2,...    list-type board: answer 't' with these device codes (hex 0xNN or
                         decimal); the host then sends the 5-byte select-device block
  --modes TEXT           level-type board: mode characters for 'O' (default S; ? = none)
  --level N              programmer level for 'K' (default 3); it also fixes the length
                         of the select-device block the board expects: 22 bytes at level
                         1, 27 at 2 to 4, 28 at 5 and above
  --upgrade-mode         the board answers only the upgrade-mode identification
                         (ESC ESC "[MZR-Tools-upgr]" then ESC) and ignores everything else

Chip:
  --chip NAME            device-table name of the chip fitted (default "Mirval 10").
                         The fitted chip stays in place whatever the host selects: a
                         select-device block for another code is acknowledged and logged,
                         and memory commands still reach the fitted chip.
  --lock V, --low-fuse V, --high-fuse V, --ext-fuse V, --calibration V
                         initial configuration bytes (defaults FF, E1, D9, FF; the
                         calibration byte defaults to a value derived from the chip)
  --flash-image FILE     raw bytes preloaded into flash from address 0
  --eeprom-image FILE    raw bytes preloaded into EEPROM from address 0
  --state FILE           load flash, EEPROM, lock and fuses from FILE when it exists, save
                         them there when the host leaves programming mode after a change
                         and at exit. A state file of another chip is refused. Images and
                         configuration options given as well are applied on top of it.

  The chip behaves like silicon: flash and lock bits can only be programmed (1 -> 0);
  chip erase ('e') sets flash and the lock byte back to FF and keeps EEPROM and fuses.
  Out-of-range addresses read FF and ignore writes. Commands that touch the chip are
  answered with '?' outside programming mode, as are unknown commands. The signature
  is sent with its last byte first.

Faults (--fault may be repeated):
  --fault drop:C[@N]        no reply to command C (its N-th occurrence, default every one)
  --fault wrong:C[@N]=V     the first reply byte to C is V instead
  --fault late:C[@N][=MS]   the reply to C comes MS milliseconds late (default 5000)
  --fault hangup:N          after N bytes received the board goes silent for good
  C is the command letter, or 0xNN; T = the select-device block, [ = the upgrade-mode
  identification.

  -h, --help             this text

At exit the board prints the bytes received and sent and the number of commands answered.

Exit status:
  0  after a clean stop
  1  serving failed
  2  the options are wrong or the port could not be linked
)";
}

}  // namespace zentaro::sim
