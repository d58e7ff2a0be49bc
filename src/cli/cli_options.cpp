// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/cli_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <string>
#include <utility>

#include "link/low_io.h"

namespace zentaro::cli {

namespace {

constexpr std::array<std::pair<const char*, Verb>, 8> kVerbs = {{
    {"scan", Verb::Scan},
    {"devices", Verb::Devices},
    {"info", Verb::Info},
    {"program", Verb::Program},
    {"verify", Verb::Verify},
    {"read", Verb::Read},
    {"erase", Verb::Erase},
    {"fuses", Verb::Fuses},
}};

constexpr std::array<const char*, 4> kFuseOptions = {"--lock", "--low", "--high", "--ext"};

bool TakesMemoryAndFile(Verb verb) {
    return verb == Verb::Program || verb == Verb::Verify || verb == Verb::Read;
}

std::optional<int> ParseNumber(const std::string& text, int base) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc{} || stop != end) {
        return std::nullopt;
    }
    return value;
}

// A byte in hex, with or without 0x.
std::optional<uint8_t> ParseByte(std::string text) {
    if (text.starts_with("0x") || text.starts_with("0X")) {
        text.erase(0, 2);
    }
    const std::optional<int> value = text.size() <= 2 ? ParseNumber(text, 16) : std::nullopt;
    if (!value) {
        return std::nullopt;
    }
    return static_cast<uint8_t>(*value);
}

class Parser {
public:
    explicit Parser(const std::vector<std::string>& args) : args_(args) {}

    ParsedCommandLine Run() {
        std::vector<std::string> words;
        for (next_ = 0; next_ < args_.size() && result_.error.empty();) {
            const std::string& arg = args_[next_++];
            if (arg.size() > 1 && arg[0] == '-') {
                Option(arg);
            } else {
                words.push_back(arg);
            }
        }
        if (result_.error.empty() && !result_.options.help && !result_.options.version) {
            Words(words);
        }
        return std::move(result_);
    }

private:
    void Fail(std::string error) {
        if (result_.error.empty()) {
            result_.error = std::move(error);
        }
    }

    // The value of an option: the next argument.
    std::optional<std::string> Value(const std::string& option) {
        if (next_ >= args_.size()) {
            Fail(option + " needs a value");
            return std::nullopt;
        }
        return args_[next_++];
    }

    void Option(const std::string& arg) {
        CliOptions& o = result_.options;
        if (arg == "-p" || arg == "--port") {
            if (const auto port = Value(arg)) {
                o.ports.push_back(*port);
            }
        } else if (arg == "-b" || arg == "--baud") {
            if (const auto text = Value(arg)) {
                o.baud = ParseNumber(*text, 10);
                if (!o.baud || *o.baud <= 0) {
                    Fail("not a baud rate: " + *text);
                } else if (std::find(kBoardBaudRates.begin(), kBoardBaudRates.end(), *o.baud) ==
                           kBoardBaudRates.end()) {
                    Fail("not a rate the board uses: " + *text + " (" +
                         std::to_string(kBoardBaudRates[0]) + ", " +
                         std::to_string(kBoardBaudRates[1]) + " or " +
                         std::to_string(kBoardBaudRates[2]) + ")");
                }
            }
        } else if (arg == "-d" || arg == "--device") {
            if (const auto name = Value(arg)) {
                o.device = *name;
            }
        } else if (arg == "-y" || arg == "--yes") {
            o.yes = true;
        } else if (arg == "--no-verify") {
            o.noVerify = true;
        } else if (arg == "--ignore-checksum") {
            o.ignoreChecksum = true;
        } else if (arg == "--format") {
            if (const auto text = Value(arg)) {
                o.format = ParseImageFormat(*text);
                if (!o.format) {
                    Fail("not a file format: " + *text + " (hex, srec, bin or elf)");
                }
            }
        } else if (arg == "--from") {
            if (const auto path = Value(arg)) {
                o.fusesFrom = *path;
            }
        } else if (arg == "--allow-lockout") {
            o.allowLockout = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "-q" || arg == "--quiet") {
            o.quiet = true;
        } else if (arg == "-h" || arg == "--help") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else {
            FuseOption(arg);
        }
    }

    void FuseOption(const std::string& arg) {
        for (size_t i = 0; i < kFuseOptions.size(); ++i) {
            if (arg == kFuseOptions[i]) {
                if (const auto text = Value(arg)) {
                    result_.options.fuseWrite[i] = ParseByte(*text);
                    if (!result_.options.fuseWrite[i]) {
                        Fail(arg + " needs a byte in hex, such as FF: " + *text);
                    }
                    fuseOptionSeen_ = true;
                }
                return;
            }
        }
        Fail("unknown option " + arg);
    }

    void Words(const std::vector<std::string>& words) {
        CliOptions& o = result_.options;
        if (words.empty()) {
            Fail("no command given");
            return;
        }
        const auto verb = std::find_if(kVerbs.begin(), kVerbs.end(),
                                       [&](const auto& entry) { return words[0] == entry.first; });
        if (verb == kVerbs.end()) {
            Fail("unknown command " + words[0]);
            return;
        }
        o.verb = verb->second;
        size_t expected = 1;
        if (TakesMemoryAndFile(o.verb)) {
            expected = 3;
            if (words.size() != expected) {
                Fail(words[0] + " needs flash or eeprom and a file");
                return;
            }
            if (words[1] == "flash") {
                o.memory = Memory::Flash;
            } else if (words[1] == "eeprom") {
                o.memory = Memory::Eeprom;
            } else {
                Fail("not a memory: " + words[1] + " (flash or eeprom)");
                return;
            }
            o.file = words[2];
        }
        if (words.size() != expected) {
            Fail("unexpected argument " + words[expected]);
        } else if (fuseOptionSeen_ && o.verb != Verb::Fuses) {
            Fail("--lock, --low, --high and --ext belong to the fuses command");
        } else if (o.allowLockout && o.verb != Verb::Fuses) {
            Fail("--allow-lockout belongs to the fuses command");
        } else if (!o.fusesFrom.empty() && o.verb != Verb::Fuses) {
            Fail("--from belongs to the fuses command");
        } else if (!o.fusesFrom.empty() && fuseOptionSeen_) {
            Fail(
                "--from takes the bytes from the file: give it without --lock, --low, --high "
                "and --ext");
        } else if (o.format && !TakesMemoryAndFile(o.verb)) {
            Fail("--format belongs to the program, verify and read commands");
        } else if (o.format == ImageFormat::Elf && o.verb == Verb::Read) {
            Fail("a chip is read to Intel HEX, S-record or raw binary, not to ELF");
        } else if (o.baud && o.ports.empty()) {
            Fail("--baud needs --port");
        }
    }

    const std::vector<std::string>& args_;
    size_t next_ = 0;
    bool fuseOptionSeen_ = false;
    ParsedCommandLine result_;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
    return Parser(args).Run();
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
