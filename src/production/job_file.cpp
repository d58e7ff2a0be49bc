// SPDX-License-Identifier: GPL-3.0-or-later
#include "production/job_file.h"

#include <toml++/toml.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <initializer_list>
#include <vector>

#include "catalogue/device_table.h"
#include "platform/file.h"

namespace zentaro {

namespace {

// The job file's names for the configuration bytes, in kConfigByteOrder.
constexpr std::array<const char*, 4> kFuseKeys = {"lock", "low", "high", "ext"};

// The file at path, opened for reading; why it cannot be read goes to why: it must be a plain
// file that opens.
PlatformFile OpenPlainFile(const std::string& path, std::string& why) {
    PlatformFile file = PlatformFile::Open(path, FileAccess::Read);
    if (!file.IsOpen()) {
        why = file.Error();
    } else if (!file.IsPlainFile()) {
        why = "not a plain file";
    }
    return file;
}

std::string Unreadable(const std::string& path) {
    std::string why;
    OpenPlainFile(path, why);
    return why;
}

class JobParser {
public:
    explicit JobParser(const std::string& path)
        : folder_(std::filesystem::path(path).parent_path()) {}

    JobLoad Parse(std::string_view text, const std::string& path) {
        toml::table root;
        try {
            root = toml::parse(text, path);
        } catch (const toml::parse_error& error) {
            Report(error.source().begin.line, std::string(error.description()));
            return Result();
        }
        root_ = &root;
        CheckKeys(root, "", {"device", "erase", "verify", "flash", "eeprom", "fuses", "serial"});
        ReadDevice(root);
        job_.erase = Boolean(root, "erase", true);
        job_.verify = Boolean(root, "verify", true);
        if (const toml::table* flash = Table(root, "flash", {"file"})) {
            job_.flashFile = InputFile(*flash, "flash.", "file");
        }
        if (const toml::table* eeprom = Table(root, "eeprom", {"file"})) {
            job_.eepromFile = InputFile(*eeprom, "eeprom.", "file");
            if (!job_.device.empty() && FindDeviceByName(job_.device).eepromSize == 0) {
                Report(LineOf(*eeprom), job_.device + " has no EEPROM");
            }
        }
        if (const toml::table* fuses =
                Table(root, "fuses", {"lock", "low", "high", "ext", "from"})) {
            ReadFuses(*fuses);
        }
        if (const toml::table* serial =
                Table(root, "serial",
                      {"memory", "address", "size", "order", "form", "start", "step", "counter"})) {
            ReadSerial(*serial);
        }
        return Result();
    }

private:
    struct Problem {
        uint32_t line;  // 0: no line
        bool file;
        std::string text;
    };

    static uint32_t LineOf(const toml::node& node) { return node.source().begin.line; }

    void Report(uint32_t line, std::string text, bool file = false) {
        problems_.push_back({line, file, std::move(text)});
    }
    void Report(const toml::node& node, std::string text) { Report(LineOf(node), std::move(text)); }

    JobLoad Result() {
        JobLoad load;
        // Problems without a line (keys missing from the whole file) come last.
        std::stable_sort(problems_.begin(), problems_.end(), [](const auto& a, const auto& b) {
            return (a.line == 0 ? UINT32_MAX : a.line) < (b.line == 0 ? UINT32_MAX : b.line);
        });
        for (const Problem& problem : problems_) {
            if (!load.message.empty()) {
                load.message += '\n';
            }
            if (problem.line != 0) {
                load.message += "line " + std::to_string(problem.line) + ": ";
            }
            load.message += problem.text;
        }
        if (problems_.empty()) {
            load.job = std::move(job_);
        } else {
            // The file is corrected before the files it names are fetched.
            const bool content = std::any_of(problems_.begin(), problems_.end(),
                                             [](const Problem& problem) { return !problem.file; });
            load.problem = content ? JobLoad::Problem::Content : JobLoad::Problem::File;
        }
        return load;
    }

    void CheckKeys(const toml::table& table, const std::string& prefix,
                   std::initializer_list<std::string_view> known) {
        for (const auto& [key, node] : table) {
            if (std::find(known.begin(), known.end(), key.str()) == known.end()) {
                Report(key.source().begin.line, "unknown key " + prefix + std::string(key.str()));
            }
        }
    }

    const toml::table* Table(const toml::table& root, const char* name,
                             std::initializer_list<std::string_view> known) {
        const toml::node* node = root.get(name);
        if (node == nullptr) {
            return nullptr;
        }
        if (!node->is_table()) {
            Report(*node, std::string(name) + " must be a table ([" + name + "])");
            return nullptr;
        }
        CheckKeys(*node->as_table(), std::string(name) + ".", known);
        return node->as_table();
    }

    // The string at key, or nothing (reported when required or of another type).
    std::optional<std::string> String(const toml::table& table, const std::string& prefix,
                                      const char* key, bool required) {
        const toml::node* node = table.get(key);
        if (node == nullptr) {
            if (required) {
                // The whole file has no line of its own to name.
                Report(&table == root_ ? 0 : LineOf(table), prefix + key + " is missing");
            }
            return std::nullopt;
        }
        if (!node->is_string()) {
            Report(*node, prefix + key + " must be a string");
            return std::nullopt;
        }
        return node->as_string()->get();
    }

    // The string at key that must be one of choices; its index, or nothing.
    std::optional<size_t> Choice(const toml::table& table, const std::string& prefix,
                                 const char* key, bool required,
                                 std::initializer_list<std::string_view> choices) {
        const std::optional<std::string> value = String(table, prefix, key, required);
        if (!value) {
            return std::nullopt;
        }
        const auto found = std::find(choices.begin(), choices.end(), *value);
        if (found != choices.end()) {
            return static_cast<size_t>(found - choices.begin());
        }
        std::string list;
        for (size_t i = 0; i < choices.size(); ++i) {
            list += (i == 0 ? "" : (i + 1 == choices.size() ? " or " : ", "));
            list += "\"" + std::string(choices.begin()[i]) + "\"";
        }
        Report(*table.get(key), prefix + key + " must be " + list);
        return std::nullopt;
    }

    // The whole number at key from low to high; nothing when absent or out of range
    // (reported as must, or as missing when required).
    std::optional<uint64_t> Number(const toml::table& table, const char* key, bool required,
                                   int64_t low, int64_t high, const std::string& must) {
        const toml::node* node = table.get(key);
        if (node == nullptr) {
            if (required) {
                Report(LineOf(table), std::string("serial.") + key + " is missing");
            }
            return std::nullopt;
        }
        if (!node->is_integer() || node->as_integer()->get() < low ||
            node->as_integer()->get() > high) {
            Report(*node, std::string("serial.") + key + " must be " + must);
            return std::nullopt;
        }
        return static_cast<uint64_t>(node->as_integer()->get());
    }

    bool Boolean(const toml::table& root, const char* key, bool fallback) {
        const toml::node* node = root.get(key);
        if (node == nullptr) {
            return fallback;
        }
        if (!node->is_boolean()) {
            Report(*node, std::string(key) + " must be true or false");
            return fallback;
        }
        return node->as_boolean()->get();
    }

    std::string Resolve(const std::string& name) const { return (folder_ / name).string(); }

    // A file the job reads: it must be there and readable before any chip is touched.
    std::optional<std::string> InputFile(const toml::table& table, const std::string& prefix,
                                         const char* key) {
        const std::optional<std::string> name = String(table, prefix, key, true);
        if (!name) {
            return std::nullopt;
        }
        if (name->empty()) {
            Report(*table.get(key), prefix + key + " must name a file");
            return std::nullopt;
        }
        const std::string path = Resolve(*name);
        if (const std::string why = Unreadable(path); !why.empty()) {
            Report(LineOf(*table.get(key)),
                   prefix + key + ": cannot read " + path + " (" + why + ")", true);
        }
        return path;
    }

    void ReadDevice(const toml::table& root) {
        const std::optional<std::string> name = String(root, "", "device", true);
        if (!name) {
            return;
        }
        if (FindDeviceByName(*name).name == nullptr) {
            Report(*root.get("device"), "device \"" + *name + "\" is unknown");
            return;
        }
        job_.device = *name;
    }

    void ReadFuses(const toml::table& fuses) {
        std::string given;
        for (size_t i = 0; i < kFuseKeys.size(); ++i) {
            const std::optional<std::string> text = String(fuses, "fuses.", kFuseKeys[i], false);
            if (!fuses.contains(kFuseKeys[i])) {
                continue;
            }
            given += std::string(given.empty() ? "" : ", ") + "fuses." + kFuseKeys[i];
            if (!text) {
                continue;
            }
            const bool hex =
                text->size() == 2 && std::all_of(text->begin(), text->end(), [](char c) {
                    return std::isxdigit(static_cast<unsigned char>(c)) != 0;
                });
            if (!hex) {
                Report(*fuses.get(kFuseKeys[i]), std::string("fuses.") + kFuseKeys[i] +
                                                     " must be two hex digits, such as \"E2\"");
                continue;
            }
            job_.fuses[i] = static_cast<uint8_t>(std::stoul(*text, nullptr, 16));
        }
        if (fuses.contains("from")) {
            if (!given.empty()) {
                Report(*fuses.get("from"), "fuses.from cannot go with " + given);
            }
            job_.fusesFrom = InputFile(fuses, "fuses.", "from");
        }
    }

    void ReadSerial(const toml::table& table) {
        const auto memory = Choice(table, "serial.", "memory", true, {"flash", "eeprom"});
        const auto address =
            Number(table, "address", true, 0, UINT32_MAX, "a whole number of 0 or more");
        const auto size = Number(table, "size", true, 1, 8, "1 to 8");
        const auto order = Choice(table, "serial.", "order", false, {"little", "big"});
        const auto form = Choice(table, "serial.", "form", false, {"binary", "decimal", "hex"});
        const auto start =
            Number(table, "start", false, 0, INT64_MAX, "a whole number of 0 or more");
        const auto step = Number(table, "step", false, 1, INT64_MAX, "a whole number of 1 or more");
        const auto counter = String(table, "serial.", "counter", true);
        // An optional key that is there but wrong leaves nothing to check further.
        const auto wrong = [&table](const auto& value, const char* key) {
            return !value && table.contains(key);
        };
        if (!memory || !address || !size || !counter || wrong(order, "order") ||
            wrong(form, "form") || wrong(start, "start") || wrong(step, "step")) {
            return;
        }
        SerialRule rule;
        rule.memory = *memory == 0 ? ImageMemory::Flash : ImageMemory::Eeprom;
        rule.address = static_cast<uint32_t>(*address);
        rule.size = static_cast<unsigned>(*size);
        rule.order = order.value_or(0) == 0 ? ByteOrder::Little : ByteOrder::Big;
        rule.form = static_cast<SerialForm>(form.value_or(0));
        rule.start = start.value_or(rule.start);
        rule.step = step.value_or(rule.step);
        if (order && rule.form != SerialForm::Binary) {
            Report(*table.get("order"), "serial.order applies only to form = \"binary\"");
        }
        if (const SerialBytesResult first = SerialBytes(rule, rule.start); !first.Ok()) {
            const toml::node* where = table.get("start");
            Report(where != nullptr ? LineOf(*where) : LineOf(table),
                   "serial.start " + first.error);
        }
        if (!job_.device.empty()) {
            const DeviceRecord& device = FindDeviceByName(job_.device);
            const uint32_t memorySize =
                rule.memory == ImageMemory::Flash ? device.flashSize : device.eepromSize;
            if (memorySize == 0) {
                Report(*table.get("memory"), job_.device + " has no " + MemoryName(rule.memory));
            } else if (uint64_t{rule.address} + rule.size > memorySize) {
                Report(*table.get("address"), "serial.address " + std::to_string(rule.address) +
                                                  " and serial.size " + std::to_string(rule.size) +
                                                  " reach beyond the " + MemoryName(rule.memory) +
                                                  " of " + job_.device + " (" +
                                                  std::to_string(memorySize) + " bytes)");
            }
        }
        if (counter->empty()) {
            Report(*table.get("counter"), "serial.counter must name a file");
            return;
        }
        rule.counterPath = Resolve(*counter);
        // The counter file itself is made at the start of the run; its folder must be there.
        const std::filesystem::path folder = std::filesystem::path(rule.counterPath).parent_path();
        std::error_code error;
        if (!folder.empty() && !std::filesystem::is_directory(folder, error)) {
            Report(LineOf(*table.get("counter")),
                   "serial.counter: no folder " + folder.string() + " for " + rule.counterPath,
                   true);
        }
        job_.serial = rule;
    }

    std::filesystem::path folder_;
    const toml::table* root_ = nullptr;
    JobSettings job_;
    std::vector<Problem> problems_;
};

}  // namespace

JobLoad ParseJob(std::string_view text, const std::string& path) {
    return JobParser(path).Parse(text, path);
}

JobLoad LoadJobFile(const std::string& path) {
    JobLoad load;
    std::string why;
    std::string text;
    if (PlatformFile file = OpenPlainFile(path, why); why.empty() && !file.ReadAll(text)) {
        why = file.Error();
    }
    if (!why.empty()) {
        load.problem = JobLoad::Problem::File;
        load.message = "cannot read the job file " + path + " (" + why + ")";
        return load;
    }
    return ParseJob(text, path);
}

}  // namespace zentaro
