// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/program.h"

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "cli/board_job.h"
#include "cli/cli_options.h"
#include "cli/file_check.h"
#include "cli/help_text.h"
#include "cli/interrupt.h"
#include "cli/job_command.h"
#include "cli/report.h"
#include "cli/terminal.h"
#include "session/session_worker.h"
#include "zentaro_version.h"

namespace zentaro::cli {

namespace {

int UsageError(const ProgramHost& host, const std::string& error) {
    std::fprintf(host.err, "zentaro-cli: %s\n%s\n", error.c_str(), UsageHint());
    return kExitUsage;
}

std::vector<BoardResult> RunBoards(const CliOptions& options, Terminal& terminal,
                                   const ProgramHost& host) {
    const std::vector<std::string> ports =
        options.ports.empty() ? std::vector<std::string>{""} : options.ports;
    // One worker, one link and one session per board; nothing is shared but the terminal.
    // A fault of one board's job ends that job as a failure; the other boards go on.
    std::vector<BoardResult> results(ports.size());
    std::vector<std::unique_ptr<SessionWorker>> workers;
    for (size_t i = 0; i < ports.size(); ++i) {
        workers.push_back(std::make_unique<SessionWorker>());
        workers.back()->Post(
            [&, i] { results[i] = RunBoard(options, ports[i], terminal, i, host); },
            [&, i](const std::string& fault) {
                if (!fault.empty()) {
                    results[i].port = ports[i];
                    results[i].device = options.device;
                    results[i].message = "internal error: " + fault;
                }
            });
    }
    for (const std::unique_ptr<SessionWorker>& worker : workers) {
        worker->WaitIdle();
    }
    return results;
}

void PrintResults(const CliOptions& options, const std::vector<BoardResult>& results,
                  const ProgramHost& host) {
    // With --json, the output carries the object alone.
    std::FILE* out = options.json ? host.err : host.out;
    const bool several = results.size() > 1;
    for (const BoardResult& result : results) {
        const std::string prefix = several ? result.port + ": " : "";
        const bool failed = result.exitCode != kExitOk;
        if (!options.quiet || failed) {
            // Why no board could be reached is an error of the run, not its output.
            std::FILE* to =
                (failed && options.quiet) || result.exitCode == kExitNoBoard ? host.err : out;
            for (const std::string& line : result.lines) {
                std::fprintf(to, "%s%s\n", prefix.c_str(), line.c_str());
            }
        }
        // The reason, unless it is one of the texts just printed.
        if (failed && std::find(result.lines.begin(), result.lines.end(), result.message) ==
                          result.lines.end()) {
            std::fprintf(host.err, "zentaro-cli: %s%s\n", prefix.c_str(), result.message.c_str());
        }
    }
    if (several && !options.quiet) {
        for (const std::string& line : SummaryTable(results)) {
            std::fprintf(out, "%s\n", line.c_str());
        }
    }
    if (options.json) {
        std::fprintf(host.out, "%s\n", JsonReport(CommandName(options), results).c_str());
    }
}

}  // namespace

int RunProgram(const std::vector<std::string>& args, const ProgramHost& host) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.error.empty()) {
        return UsageError(host, parsed.error);
    }
    // The file check may fill in the fuse bytes an ELF file carries.
    CliOptions options = parsed.options;
    if (options.help) {
        std::fputs(HelpText().c_str(), host.out);
        return kExitOk;
    }
    if (options.version) {
        std::fprintf(host.out, "zentaro-cli %s\n", kVersion);
        return kExitOk;
    }
    if (!options.device.empty() && FindDeviceByName(options.device).name == nullptr) {
        return UsageError(host, "unknown device \"" + options.device + "\"");
    }
    if (options.verb == Verb::Job) {
        return RunJob(options, host);
    }
    // The file is checked before any board is looked for: a bad file sends nothing.
    const FileCheck file = CheckFile(options);
    if (!file.error.empty()) {
        std::fprintf(host.err, "zentaro-cli: %s\n", file.error.c_str());
        if (options.json) {
            BoardResult result;
            result.port = options.ports.empty() ? "" : options.ports.front();
            result.device = options.device;
            result.exitCode = kExitFile;
            result.message = file.error;
            std::fprintf(host.out, "%s\n", JsonReport(CommandName(options), {result}).c_str());
        }
        return kExitFile;
    }
    Terminal terminal({.yes = options.yes,
                       .askOnStdin = host.stdinIsTerminal,
                       .showProgress = !options.quiet && host.stderrIsTerminal},
                      std::max<size_t>(1, options.ports.size()));
    const std::vector<BoardResult> results = RunBoards(options, terminal, host);
    terminal.Finish();
    PrintResults(options, results, host);
    return Interrupted() ? InterruptedExitStatus() : WorstExit(results);
}

}  // namespace zentaro::cli
