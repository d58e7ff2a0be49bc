// SPDX-License-Identifier: GPL-3.0-or-later
// What the manual pages, --help and the README say about the command line, held against
// each other and against the programs: the same options and exit statuses in the page and
// in --help, and every zentaro-cli example run against simulated boards.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <atomic>
#include <cstdio>
#include <memory>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "images/encrypted_image.h"
#include "sim/sim_server.h"
#include "support/byte_pattern.h"
#include "support/hex_text.h"
#include "support/temp_dir.h"

namespace zentaro::test {
namespace {

using Words = std::set<std::string>;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

std::string SourceFile(const std::string& name) {
    return ReadFile(std::string(ZENTARO_SOURCE_DIR) + "/" + name);
}

// Runs a shell command; its standard output, and its exit status in *status.
std::string Shell(const std::string& command, int* status = nullptr) {
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
        out.append(buffer, n);
    }
    const int ended = pclose(pipe);
    if (status != nullptr) {
        *status = WIFEXITED(ended) ? WEXITSTATUS(ended) : -1;
    }
    return out;
}

// A manual page's line as a reader sees it: the escapes these pages use, resolved.
std::string PlainRoff(std::string line) {
    for (const auto& [escape, plain] : {std::pair{R"(\\f[BIRP]|\\%)", ""},
                                        {R"(\\-)", "-"},
                                        {R"(\\\(dq)", "\""},
                                        {R"(\\ )", " "}}) {
        line = std::regex_replace(line, std::regex(escape), plain);
    }
    return line;
}

// What the first group of each match holds.
Words Matches(const std::string& text, const std::regex& pattern) {
    Words found;
    for (std::sregex_iterator it(text.begin(), text.end(), pattern), end; it != end; ++it) {
        found.insert((*it)[1]);
    }
    return found;
}

// Option names (-x, --word) where they stand as words.
Words OptionsIn(const std::string& text) {
    static const std::regex kOption(R"((?:^|[\s\[|,"])(--?[A-Za-z][A-Za-z0-9-]*))");
    return Matches(text, kOption);
}

struct Documented {
    Words options;
    Words statuses;
    std::vector<std::string> examples;  // the zentaro-cli ones
};

// The synopsis' options, the terms (.TP) of OPTIONS and EXIT STATUS, the EXAMPLES lines.
Documented FromManPage(const std::string& page) {
    Documented doc;
    std::string section, previous;
    for (const std::string& roff : Lines(page)) {
        const std::string line = PlainRoff(roff);
        if (line.starts_with(".SH ")) {
            section = line.substr(4);
        } else if (section == "SYNOPSIS" || (section == "OPTIONS" && previous == ".TP")) {
            doc.options.merge(OptionsIn(line));
        } else if (section == "EXIT STATUS" && previous == ".TP") {
            doc.statuses.insert(line.substr(line.find(' ') + 1));  // ".B 3"
        } else if (section == "EXAMPLES" && line.starts_with("zentaro-cli ")) {
            doc.examples.push_back(line);
        }
        previous = line;
    }
    return doc;
}

// The same from --help: the options of the usage lines and those that start an entry
// (indented at most four blanks, the entry's text after two blanks), the number that starts
// each line under the exit status heading and the lines under EXAMPLES.
Documented FromHelp(const std::string& help) {
    static const std::regex kUsage(R"(\[options\]|^ {20,}\[-)");
    static const std::regex kEntry(R"(^ {1,4}(-\S*(?: \S+)*))");
    static const std::regex kStatus(R"(^ +([0-9]+) )");
    Documented doc;
    std::string heading;
    for (const std::string& line : Lines(help)) {
        std::smatch match;
        if (!line.empty() && line[0] != ' ') {
            heading = line;
        } else if (heading == "EXIT STATUS" || heading == "Exit status:") {
            if (std::regex_search(line, match, kStatus)) {
                doc.statuses.insert(match[1]);
            }
        } else if (heading == "EXAMPLES" && line.starts_with("    zentaro-cli ")) {
            doc.examples.push_back(line.substr(4));
        } else if (std::regex_search(line, match, kEntry)) {
            doc.options.merge(OptionsIn(match[1]));
        }
        if (std::regex_search(line, kUsage)) {
            doc.options.merge(OptionsIn(line));
        }
    }
    return doc;
}

TEST(CommandLineDocs, HelpManualPageAndParserNameTheSameOptionsAndExitStatuses) {
    struct Row {
        const char* program;
        const char* page;
        const char* parser;
    };
    const Row rows[] = {
        {ZENTARO_CLI_PATH, "data/man/zentaro-cli.1", "src/cli/cli_options.cpp"},
        {ZENTARO_SIM_PATH, "data/man/zentaro-sim.1", "sim/options.cpp"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        const Documented help = FromHelp(Shell(std::string(row.program) + " --help"));
        const Documented page = FromManPage(SourceFile(row.page));
        // The options the parser knows: its string literals that are option names alone, or
        // a short and a long name as CLI11 takes them ("-p,--port").
        Words parsed;
        for (const std::string& names : Matches(
                 SourceFile(row.parser), std::regex(R"re("(--?[a-z][a-z-]*(?:,--[a-z-]+)?)")re"))) {
            parsed.merge(OptionsIn(names));
        }
        EXPECT_GE(parsed.size(), 20u);  // so that a reading that finds nothing cannot pass
        EXPECT_GE(help.statuses.size(), 3u);
        EXPECT_EQ(help.options, parsed);
        EXPECT_EQ(page.options, parsed);
        EXPECT_EQ(help.statuses, page.statuses);
    }
}

struct Example {
    std::string where;
    std::string command;  // as printed, starting with zentaro-cli
    std::string output;   // the output the text shows after it, if any
};

std::vector<Example> CliExamples() {
    std::vector<Example> examples;
    // The README's code blocks: a "$ " line is followed by its output.
    const std::vector<std::string> readme = Lines(SourceFile("README.md"));
    for (size_t i = 0; i < readme.size(); ++i) {
        const bool prompted = readme[i].starts_with("    $ zentaro-cli ");
        if (prompted || readme[i].starts_with("    zentaro-cli ")) {
            const std::string output = prompted ? readme.at(i + 1).substr(4) : "";
            examples.push_back({"README.md", readme[i].substr(prompted ? 6 : 4), output});
        }
    }
    for (const char* page : {"zentaro.1", "zentaro-cli.1", "zentaro-sim.1"}) {
        for (const std::string& line :
             FromManPage(SourceFile(std::string("data/man/") + page)).examples) {
            examples.push_back({page, line, ""});
        }
    }
    for (const std::string& line :
         FromHelp(Shell(std::string(ZENTARO_CLI_PATH) + " --help")).examples) {
        examples.push_back({"zentaro-cli --help", line, ""});
    }
    return examples;
}

// The seconds a run took differ from run to run.
std::string WithoutSeconds(const std::string& json) {
    return std::regex_replace(json, std::regex(R"("seconds":[0-9.]+)"), R"("seconds":S)");
}

struct Ran {
    int status = -1;
    std::string out;
    std::string err;
};

// The job file the README shows, which its job example runs.
std::string ReadmeJobFile() {
    std::string job;
    bool inside = false;
    for (const std::string& line : Lines(SourceFile("README.md"))) {
        if (line == "```toml" || (inside && line == "```")) {
            inside = !inside;
        } else if (inside) {
            job += line + "\n";
        }
    }
    return job;
}

// Runs the example in a folder of its own holding the files the examples name, against three
// "Mirval 10" boards on COM1 to COM3 whose chips already hold those files, so that a verify
// matches. /dev/ttyUSB0 stands for COM1's device.
Ran RunExample(const Example& example, const std::vector<uint8_t>& firmware,
               const std::vector<uint8_t>& eeprom) {
    TempDir dir;
    WriteFile(dir.Path("firmware.hex"), HexText({{0, firmware}}));
    WriteFile(dir.Path("settings.hex"), HexText({{0, eeprom}}));
    WriteFile(dir.Path("line.toml"), ReadmeJobFile());
    const std::vector<uint8_t> encrypted = EncryptImage(firmware);
    WriteFile(dir.Path("firmware.ebn"), std::string(encrypted.begin(), encrypted.end()));
    std::vector<std::unique_ptr<sim::SimServer>> boards;
    for (const char* port : {"COM1", "COM2", "COM3"}) {
        boards.push_back(std::make_unique<sim::SimServer>(
            std::vector<std::string>{"--port", port, "--chip", "Mirval 10"}, dir.Root().string()));
        boards.back()->LoadFlash(firmware);
        boards.back()->LoadEeprom(eeprom);
        if (!boards.back()->Start()) {
            return {.status = -1,
                    .out = "",
                    .err = "the board did not start: " + boards.back()->Error()};
        }
    }
    std::string command = example.command;
    command.replace(0, std::string("zentaro-cli").size(), ZENTARO_CLI_PATH);
    command = std::regex_replace(command, std::regex("/dev/ttyUSB0"), boards.front()->LinkPath());
    // The redirections go first: the example may end in a comment.
    Ran ran;
    ran.out =
        Shell("cd '" + dir.Root().string() +
                  "' && export XDG_CONFIG_HOME=\"$PWD\" && exec 2>cli.err </dev/null && " + command,
              &ran.status);
    ran.err = ReadFile(dir.Path("cli.err"));
    return ran;
}

// The examples run a few at a time: each spends most of its time in the board's pauses.
TEST(CommandLineDocs, EveryZentaroCliExampleRunsAgainstTheSimulatedBoard) {
    const std::vector<uint8_t> firmware = Pattern(1024, 1);
    const std::vector<uint8_t> eeprom = Pattern(64, 2);
    const std::vector<Example> examples = CliExamples();
    EXPECT_GE(examples.size(), 20u);
    std::vector<Ran> runs(examples.size());
    std::atomic<size_t> next = 0;
    std::vector<std::thread> workers;
    for (int i = 0; i < 6; ++i) {
        workers.emplace_back([&] {
            for (size_t mine; (mine = next++) < examples.size();) {
                runs[mine] = RunExample(examples[mine], firmware, eeprom);
            }
        });
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    for (size_t i = 0; i < examples.size(); ++i) {
        SCOPED_TRACE(examples[i].where + ": " + examples[i].command);
        EXPECT_EQ(runs[i].status, 0) << runs[i].out << runs[i].err;
        if (!examples[i].output.empty()) {
            EXPECT_EQ(WithoutSeconds(runs[i].out), WithoutSeconds(examples[i].output + "\n"));
        }
    }
}

}  // namespace
}  // namespace zentaro::test
