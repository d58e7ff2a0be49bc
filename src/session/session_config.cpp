// SPDX-License-Identifier: GPL-3.0-or-later
// The session's lock and fuse view: the advanced window's opening, read, write and erase, and
// the command line's info and fuse writes, all on one AdvancedOptions.
#include "config_bits/config_io.h"
#include "session/session.h"
#include "session/session_command.h"

namespace zentaro {

SessionResult Session::EraseChip(const ControlState& shown) {
    return InConfig([&](Command& command) {
        config_->Controls() = shown;
        config_->Erase();
        return ConfigResult(command);
    });
}

SessionResult Session::OpenConfig() {
    return WithDevice([&](Command& command) {
        TellDevice();
        config_ =
            std::make_unique<AdvancedOptions>(link_, device_, listing_.programmerLevel, UserStop());
        config_->Open();
        return ConfigResult(command);
    });
}

SessionResult Session::ReadInfo() {
    return WithDevice([&](Command& command) {
        TellDevice();
        AdvancedOptions options(link_, device_, listing_.programmerLevel);
        options.Open();
        const AdvancedState& state = options.State();
        command.result.info = ChipInfo{.signature = state.signature,
                                       .calibration = state.calibration,
                                       .identifier = state.identifier,
                                       .version = state.version,
                                       .signatureRead = state.signatureRead};
        return command.Finish(OkWhen(state.signatureRead));
    });
}

void Session::AddConfig(SessionResult& result) const {
    result.configState = config_->State();
    result.config = DescribeConfig(*config_);
}

SessionResult Session::ConfigResult(Command& command) {
    AddConfig(command.result);
    const ConfigReport& report = *command.result.config;
    return command.Finish(OkWhen(!report.read || report.complete));
}

SessionResult Session::ReadConfig(const ControlState& shown) {
    return InConfig([&](Command& command) {
        config_->Controls() = shown;
        config_->Read();
        return ConfigResult(command);
    });
}

SessionResult Session::WriteConfig(const ControlState& shown) {
    return InConfig([&](Command& command) {
        config_->Controls() = shown;
        const ConfigChange change = ChangeFor(*config_, config_->PendingWrite());
        command.result.change = change;
        if (change.LocksOut() && !transcript_.AskBeforeHarm(LockoutQuestion(change))) {
            AddConfig(command.result);
            return command.Finish(CommandOutcome::Declined);
        }
        config_->Write();
        AddConfig(command.result);
        return command.Finish(transcript_.StopRequested() ? CommandOutcome::Canceled
                                                          : CommandOutcome::Ok);
    });
}

SessionResult Session::WriteConfigBytes(const ConfigWrite& request, bool allowLockout) {
    return InConfig([&](Command& command) {
        command.result.refusal = RefusalFor(request, config_->Rights());
        if (!command.result.refusal.empty()) {
            command.result.refusal = "nothing written: " + command.result.refusal;
            return command.Finish(CommandOutcome::Failed);
        }
        const ConfigChange change = ChangeFor(*config_, request);
        command.result.change = change;
        if (change.LocksOut() && !allowLockout) {
            command.result.refusal = LockoutRefusal(change);
            return command.Finish(CommandOutcome::Declined);
        }
        for (const auto& byte : request) {
            command.result.bytes += byte ? 1u : 0u;
        }
        const bool written = zentaro::WriteConfigBytes(
            link_, ProfileFor(device_), config_->ProgrammerType() == 'S', request, UserStop());
        if (transcript_.StopRequested()) {
            return command.Finish(CommandOutcome::Canceled);
        }
        if (config_->State().readEnabled) {
            config_->Read();
        }
        if (!written) {
            AddConfig(command.result);
            command.result.refusal = "the board did not acknowledge every write";
            return command.Finish(CommandOutcome::Failed);
        }
        return ConfigResult(command);
    });
}

void Session::CloseConfig() {
    config_.reset();
}

}  // namespace zentaro
