// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/board_job.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/board_reach.h"
#include "cli/console_panel.h"
#include "cli/describe.h"
#include "cli/interrupt.h"
#include "session/config_report.h"
#include "session/session.h"

namespace zentaro::cli {

namespace {

MemoryCommand CommandFor(const CliOptions& options) {
    const bool flash = options.memory == Memory::Flash;
    switch (options.verb) {
        case Verb::Program:
            return flash ? MemoryCommand::ProgramFlash : MemoryCommand::ProgramEeprom;
        case Verb::Verify:
            return flash ? MemoryCommand::VerifyFlash : MemoryCommand::VerifyEeprom;
        default:
            return flash ? MemoryCommand::ReadFlash : MemoryCommand::ReadEeprom;
    }
}

int ExitFor(CommandOutcome outcome) {
    switch (outcome) {
        case CommandOutcome::Ok:
            return kExitOk;
        case CommandOutcome::FileError:
            return kExitFile;
        case CommandOutcome::Canceled:
            return InterruptedExitStatus();
        default:
            return kExitFailed;
    }
}

class Job {
public:
    Job(const CliOptions& options, const std::string& port, Terminal& terminal, size_t line,
        const ProgramHost& host)
        : options_(options),
          panel_(terminal, line, options.ports.size() > 1 ? port + ": " : ""),
          session_(host.newPort(), panel_, host.clock) {
        result_.port = port;
        panel_.SetLabel(port.empty() ? "scan" : port);
    }

    BoardResult Run() {
        const auto start = std::chrono::steady_clock::now();
        if (Connect() && (!NeedsDevice(options_.verb) || Select())) {
            RunVerb();
        }
        result_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return std::move(result_);
    }

private:
    bool Connect() {
        Reach reach = ReachBoard(session_, result_.port, options_.baud);
        if (!reach.Ok()) {
            result_.lines = std::move(reach.lines);
            return Refuse(reach.exit, std::move(reach.message));
        }
        result_.port = session_.Board().port;
        panel_.SetLabel(result_.port);
        return true;
    }

    bool Select() {
        Reach reach = SelectOffered(session_, options_.device);
        if (!reach.Ok()) {
            return Refuse(reach.exit, std::move(reach.message));
        }
        result_.device = reach.device;
        return true;
    }

    bool Refuse(int exitCode, std::string reason) {
        result_.exitCode = exitCode;
        result_.message = std::move(reason);
        return false;
    }

    void RunVerb() {
        switch (options_.verb) {
            case Verb::Scan:
                result_.lines = DescribeBoard(*session_.DescribeBoard().board, session_.Listing());
                Succeed("board found");
                return;
            case Verb::Devices:
                result_.lines = session_.Listing().devices;
                Succeed(std::to_string(result_.lines.size()) + " devices");
                return;
            case Verb::Info:
                return Info();
            case Verb::Erase:
                return Erase();
            case Verb::Fuses:
                return Fuses();
            default:
                return RunMemoryCommand();
        }
    }

    void Succeed(std::string message) {
        result_.exitCode = kExitOk;
        result_.message = std::move(message);
    }

    void RunMemoryCommand() {
        const CommandSwitches switches{.verifyFlash = !options_.noVerify,
                                       .verifyEeprom = !options_.noVerify,
                                       .ignoreChecksum = options_.ignoreChecksum,
                                       .format = options_.format};
        const SessionResult run = session_.Run(CommandFor(options_), options_.file, switches);
        result_.bytes = run.bytes;
        result_.exitCode = ExitFor(run.outcome);
        for (const std::string& question : panel_.Declined()) {
            result_.lines.push_back("declined, no terminal to ask (--yes answers Yes): " +
                                    question);
        }
        ShowNotices(run);
        if (!run.status.empty()) {
            result_.lines.push_back(run.status);
        }
        result_.message = run.status;
        if (!run.Ok() && !run.notices.empty()) {
            result_.message = run.notices.back();
        }
        if (!run.Ok() && !run.declined.empty()) {
            result_.message = "declined: " + run.declined;
        }
    }

    void ShowNotices(const SessionResult& run) {
        result_.lines.insert(result_.lines.end(), run.notices.begin(), run.notices.end());
    }

    void Info() {
        const SessionResult read = session_.ReadInfo();
        result_.lines = DescribeIdentity(*read.info, result_.device);
        if (read.info->signatureRead) {
            Succeed(read.info->signature);
        } else {
            Refuse(kExitFailed, "the board did not read the signature");
        }
    }

    void Erase() {
        if (session_.EraseChip().Ok()) {
            result_.lines.push_back("Chip erased.");
            Succeed("chip erased");
        } else {
            Refuse(kExitFailed, "the board did not erase the chip");
        }
    }

    void Fuses() {
        SessionResult shown = session_.OpenConfig();
        std::vector<std::string> notices = shown.notices;
        bool written = true;
        if (WritesFuses(options_)) {
            SessionResult write =
                session_.WriteConfigBytes(options_.fuseWrite, options_.allowLockout);
            if (write.change) {
                const std::vector<std::string> change = DescribeChange(*write.change);
                result_.lines.insert(result_.lines.end(), change.begin(), change.end());
                result_.change = write.change;
            }
            if (write.outcome == CommandOutcome::Canceled) {
                ShowNotices(write);
                Refuse(InterruptedExitStatus(), "stopped: the lock byte was not written");
                return;
            }
            if (!write.config) {  // refused before anything was sent
                Refuse(kExitFailed, write.refusal);
                return;
            }
            written = write.Ok();
            result_.bytes = write.bytes;
            notices.insert(notices.end(), write.notices.begin(), write.notices.end());
            result_.lines.push_back((written ? "Written: " : "Not acknowledged by the board: ") +
                                    DescribeWrite(options_.fuseWrite) + ".");
            shown = std::move(write);
        }
        const ConfigReport& report = *shown.config;
        const std::vector<std::string> lines = DescribeConfigReport(report);
        result_.lines.insert(result_.lines.end(), lines.begin(), lines.end());
        result_.lines.insert(result_.lines.end(), notices.begin(), notices.end());
        if (!WritesFuses(options_)) {
            for (const ConfigByteRights& right : report.rights) {
                result_.bytes += right.readable ? 1 : 0;
            }
        }
        if (!written) {
            Refuse(kExitFailed, shown.refusal);
        } else if (report.read && !report.complete) {
            Refuse(kExitFailed, "the board did not answer every read: " + DescribeBytes(report));
        } else {
            Succeed(report.read ? DescribeBytes(report) : "the bytes may not be read");
        }
    }

    const CliOptions& options_;
    ConsolePanel panel_;
    Session session_;
    BoardResult result_;
};

}  // namespace

BoardResult RunBoard(const CliOptions& options, const std::string& port, Terminal& terminal,
                     size_t line, const ProgramHost& host) {
    return Job(options, port, terminal, line, host).Run();
}

}  // namespace zentaro::cli
