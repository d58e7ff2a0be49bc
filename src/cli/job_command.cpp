// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/job_command.h"

#include <algorithm>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "cli/board_job.h"
#include "cli/board_reach.h"
#include "cli/console_panel.h"
#include "cli/interrupt.h"
#include "cli/job_report.h"
#include "production/chip_job.h"
#include "session/session_worker.h"

namespace zentaro::cli {

namespace {

// The record of a board or a run that reached no chip.
ProductionRecord NoChip(std::string port, std::string device, int exit, std::string message) {
    ProductionRecord record;
    record.time = std::chrono::system_clock::now();
    record.port = std::move(port);
    record.device = std::move(device);
    record.exit = exit;
    record.message = std::move(message);
    return record;
}

// One board of the run, its session kept from chip to chip.
class JobBoard {
public:
    JobBoard(std::string port, Terminal& terminal, size_t line, bool several,
             const ProgramHost& host)
        : port_(std::move(port)),
          panel_(terminal, line, several ? port_ + ": " : ""),
          session_(host.newPort(), panel_, host.clock) {
        panel_.SetLabel(port_.empty() ? "scan" : port_);
    }

    // The next chip; the board is found and the job's device selected first, until that went
    // well once.
    ProductionRecord RunChip(const PreparedJob& job, SerialCounter* counter,
                             const ChipJobControl& control, std::optional<int> baud) {
        if (!ready_) {
            Reach reach = ReachBoard(session_, port_, baud);
            if (reach.Ok()) {
                port_ = session_.Board().port;
                panel_.SetLabel(port_);
                reach = SelectOffered(session_, job.settings.device);
            }
            if (!reach.Ok()) {
                return NoChip(port_, job.settings.device, reach.exit, reach.message);
            }
            ready_ = true;
        }
        return RunChipJob(session_, job, counter, control);
    }

    const std::string& Port() const { return port_; }

private:
    std::string port_;
    ConsolePanel panel_;
    Session session_;
    bool ready_ = false;
};

class JobRun {
public:
    JobRun(const CliOptions& options, const ProgramHost& host) : options_(options), host_(host) {}

    int Run() {
        if (const int refused = Prepare(); refused != kExitOk) {
            return refused;
        }
        const std::vector<std::string> ports =
            options_.ports.empty() ? std::vector<std::string>{""} : options_.ports;
        Terminal terminal({.yes = options_.yes,
                           .askOnStdin = false,
                           .showProgress = !options_.quiet && host_.stderrIsTerminal},
                          ports.size());
        for (size_t i = 0; i < ports.size(); ++i) {
            boards_.push_back(
                std::make_unique<JobBoard>(ports[i], terminal, i, ports.size() > 1, host_));
            workers_.push_back(std::make_unique<SessionWorker>());
        }
        do {
            const std::vector<ProductionRecord> round = RunRound();
            terminal.Finish();
            for (const ProductionRecord& record : round) {
                Report(record);
            }
        } while (options_.repeat && !Interrupted() && !logFailed_ && NextChip());
        if (!options_.quiet && (options_.repeat || boards_.size() > 1)) {
            std::fprintf(Human(), "%s\n", RunSummary(records_).c_str());
        }
        int worst = logFailed_ ? kExitFile : kExitOk;
        for (const ProductionRecord& record : records_) {
            worst = std::max(worst, record.exit);
        }
        return worst;
    }

private:
    // Reads the job file, its images, the counter and the log; nothing goes to a board when
    // one of them is wrong. Returns the exit status of a refusal, 0 to go on.
    int Prepare() {
        const JobLoad load = LoadJobFile(options_.file);
        if (!load.Ok()) {
            return Refuse(load.problem == JobLoad::Problem::Content ? kExitUsage : kExitFile,
                          load.message);
        }
        JobPreparation prepared = PrepareJob(load.job);
        if (!prepared.Ok()) {
            return Refuse(prepared.problem == JobLoad::Problem::Content ? kExitUsage : kExitFile,
                          prepared.message);
        }
        job_ = std::move(prepared.job);
        std::string error;
        if (const std::optional<SerialRule>& rule = job_.settings.serial) {
            counter_ = SerialCounter::Open(rule->counterPath, rule->start, rule->step, error);
            if (!counter_) {
                return Refuse(kExitFile, error);
            }
        }
        if (!options_.logFile.empty()) {
            log_ = RecordLog::Open(options_.logFile, error);
            if (!log_) {
                return Refuse(kExitFile, error);
            }
        }
        return kExitOk;
    }

    int Refuse(int exit, const std::string& message) {
        // Each problem on a line of its own, all under the job file's name.
        std::string text = message;
        for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at + 1)) {
            text.insert(at + 1, "zentaro-cli: " + options_.file + ": ");
        }
        std::fprintf(host_.err, "zentaro-cli: %s: %s\n", options_.file.c_str(), text.c_str());
        if (options_.json) {
            std::fprintf(host_.out, "%s\n",
                         RecordJson(NoChip(options_.ports.empty() ? "" : options_.ports.front(), "",
                                           exit, message))
                             .c_str());
        }
        return exit;
    }

    std::vector<ProductionRecord> RunRound() {
        const ChipJobControl control{.allowLockout = options_.allowLockout, .stopStatus = [] {
                                         return Interrupted() ? InterruptedExitStatus() : 0;
                                     }};
        std::vector<ProductionRecord> round(boards_.size());
        for (size_t i = 0; i < boards_.size(); ++i) {
            workers_[i]->Post(
                [&, i] {
                    round[i] = boards_[i]->RunChip(job_, counter_.get(), control, options_.baud);
                },
                [&, i](const std::string& fault) {
                    if (!fault.empty()) {
                        round[i] = NoChip(boards_[i]->Port(), job_.settings.device, kExitFailed,
                                          "internal error: " + fault);
                    }
                });
        }
        for (const std::unique_ptr<SessionWorker>& worker : workers_) {
            worker->WaitIdle();
        }
        return round;
    }

    // Where the lines for people go: standard output, unless it carries the JSON.
    std::FILE* Human() const { return options_.json ? host_.err : host_.out; }

    void Report(const ProductionRecord& record) {
        records_.push_back(record);
        if (!options_.quiet || !record.ok) {
            std::fprintf(record.ok ? Human() : host_.err, "%s\n", ChipLine(record).c_str());
        }
        if (options_.json) {
            std::fprintf(host_.out, "%s\n", RecordJson(record).c_str());
            std::fflush(host_.out);
        }
        if (log_) {
            if (const std::string error = log_->Append(record); !error.empty()) {
                std::fprintf(host_.err, "zentaro-cli: the production record was not written: %s\n",
                             error.c_str());
                logFailed_ = true;
            }
        }
    }

    // Waits for Enter (the next chip) or q; the end of input or a signal ends the run too.
    bool NextChip() const {
        std::fprintf(host_.err, "Next chip: Enter; end: q then Enter\n");
        std::fflush(host_.err);
        char line[64];
        if (host_.in == nullptr || std::fgets(line, sizeof line, host_.in) == nullptr) {
            return false;
        }
        return line[0] != 'q' && line[0] != 'Q';
    }

    const CliOptions& options_;
    const ProgramHost& host_;
    PreparedJob job_;
    std::unique_ptr<SerialCounter> counter_;
    std::unique_ptr<RecordLog> log_;
    std::vector<std::unique_ptr<JobBoard>> boards_;
    std::vector<std::unique_ptr<SessionWorker>> workers_;
    std::vector<ProductionRecord> records_;
    bool logFailed_ = false;
};

}  // namespace

int RunJob(const CliOptions& options, const ProgramHost& host) {
    return JobRun(options, host).Run();
}

}  // namespace zentaro::cli
