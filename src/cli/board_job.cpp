// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/board_job.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "cli/console_panel.h"
#include "cli/describe.h"
#include "session/chip_erase.h"
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
            return kExitInterrupted;
        default:
            return kExitFailed;
    }
}

class Job {
public:
    Job(const CliOptions& options, const std::string& port, const FileCheck& file,
        Terminal& terminal, size_t line, const ProgramHost& host)
        : options_(options),
          file_(file),
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
        const bool found =
            result_.port.empty() ? session_.Scan() : session_.Open(result_.port, options_.baud);
        if (!found) {
            result_.exitCode = kExitNoBoard;
            result_.message = kNoProgrammerText;
            if (const std::string trouble = PortTroubleNotice(session_.Link().ScanReport());
                !trouble.empty()) {
                result_.lines.push_back(trouble);
            }
            result_.lines.push_back(kNoProgrammerText);
            return false;
        }
        result_.port = session_.Link().PortName();
        panel_.SetLabel(result_.port);
        session_.LearnBoard();
        return true;
    }

    bool Select() {
        const std::vector<std::string>& offered = session_.Listing().devices;
        std::string name = options_.device;
        if (name.empty()) {
            if (offered.size() != 1) {
                return Refuse(kExitUsage, "the board offers " + std::to_string(offered.size()) +
                                              " devices: choose one with --device (see: devices)");
            }
            name = offered.front();
        } else if (std::find(offered.begin(), offered.end(), name) == offered.end()) {
            return Refuse(kExitUsage, "the board does not offer \"" + name + "\" (see: devices)");
        }
        if (!session_.SelectDevice(name)) {
            return Refuse(kExitFailed, "cannot select \"" + name + "\"");
        }
        result_.device = name;
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
                result_.lines = DescribeBoard(session_);
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
                                       .ignoreChecksum = options_.ignoreChecksum};
        NoWindowChores chores;
        const CommandOutcome outcome =
            session_.Run(CommandFor(options_), options_.file, switches, chores);
        const DeviceRecord& device = session_.Device();
        const uint32_t size =
            options_.memory == Memory::Flash ? device.flashSize : device.eepromSize;
        result_.bytes = options_.verb == Verb::Read ? size : std::min(size, file_.dataEnd);
        result_.exitCode = ExitFor(outcome);
        for (const std::string& question : panel_.Declined()) {
            result_.lines.push_back("declined, no terminal to ask (--yes answers Yes): " +
                                    question);
        }
        for (const std::string& notice : panel_.Notices()) {
            result_.lines.push_back(notice);
        }
        if (!panel_.Status().empty()) {
            result_.lines.push_back(panel_.Status());
        }
        result_.message = panel_.Status();
        if (outcome != CommandOutcome::Ok && !panel_.Notices().empty()) {
            result_.message = panel_.Notices().back();
        }
        if (outcome != CommandOutcome::Ok && !panel_.LastNo().empty()) {
            result_.message = "declined: " + panel_.LastNo();
        }
    }

    void Info() {
        auto advanced = session_.AdvancedOptionsForDevice();
        advanced->Open();
        result_.lines = DescribeIdentity(*advanced, result_.device);
        // The text the advanced window shows when 's' went unanswered.
        if (advanced->State().signature == "?? ?? ??") {
            Refuse(kExitFailed, "the board did not read the signature");
        } else {
            Succeed(advanced->State().signature);
        }
    }

    void Erase() {
        if (EraseChip(session_)) {
            result_.lines.push_back("Chip erased.");
            Succeed("chip erased");
        } else {
            Refuse(kExitFailed, "the board did not erase the chip");
        }
    }

    void Fuses() {
        auto advanced = session_.AdvancedOptionsForDevice();
        advanced->Open();
        const uint8_t level = session_.Listing().programmerLevel;
        bool written = true;
        if (WritesFuses(options_)) {
            const auto rights = RightsFor(session_.Device(), advanced->ProgrammerType(), level);
            const std::string refusal = RefusalFor(options_.fuseWrite, rights);
            if (!refusal.empty()) {
                Refuse(kExitFailed, "nothing written: " + refusal);
                return;
            }
            written = WriteConfig(session_.Link(), session_.Device(), advanced->ProgrammerType(),
                                  options_.fuseWrite);
            for (const auto& byte : options_.fuseWrite) {
                result_.bytes += byte ? 1u : 0u;
            }
            result_.lines.push_back((written ? "Written: " : "Not acknowledged by the board: ") +
                                    DescribeWrite(options_.fuseWrite) + ".");
            if (advanced->State().readEnabled) {
                advanced->Read();
            }
        }
        const ConfigReport report = DescribeConfig(*advanced, session_.Device(), level);
        const std::vector<std::string> shown = DescribeConfigReport(report);
        result_.lines.insert(result_.lines.end(), shown.begin(), shown.end());
        for (const std::string& notice : panel_.Notices()) {
            result_.lines.push_back(notice);
        }
        if (!WritesFuses(options_)) {
            for (const ConfigByteRights& right : report.rights) {
                result_.bytes += right.readable ? 1 : 0;
            }
        }
        if (!written) {
            Refuse(kExitFailed, "the board did not acknowledge every write");
        } else if (report.read && !report.complete) {
            Refuse(kExitFailed, "the board did not answer every read: " + DescribeBytes(report));
        } else {
            Succeed(report.read ? DescribeBytes(report) : "the bytes may not be read");
        }
    }

    const CliOptions& options_;
    const FileCheck& file_;
    ConsolePanel panel_;
    Session session_;
    BoardResult result_;
};

}  // namespace

BoardResult RunBoard(const CliOptions& options, const std::string& port, const FileCheck& file,
                     Terminal& terminal, size_t line, const ProgramHost& host) {
    return Job(options, port, file, terminal, line, host).Run();
}

}  // namespace zentaro::cli
