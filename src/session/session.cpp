// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include "config_bits/config_io.h"
#include "session/device_lists.h"

namespace zentaro {

namespace {

using CommandFunction = bool (*)(CommandContext&);

CommandFunction FunctionFor(MemoryCommand command) {
    switch (command) {
        case MemoryCommand::ProgramFlash:
            return &ProgramFlash;
        case MemoryCommand::VerifyFlash:
            return &VerifyFlash;
        case MemoryCommand::ReadFlash:
            return &ReadFlash;
        case MemoryCommand::ProgramEeprom:
            return &ProgramEeprom;
        case MemoryCommand::VerifyEeprom:
            return &VerifyEeprom;
        case MemoryCommand::ReadEeprom:
            return &ReadEeprom;
    }
    return nullptr;
}

CommandOutcome OkWhen(bool ok) {
    return ok ? CommandOutcome::Ok : CommandOutcome::Failed;
}

}  // namespace

// One command on the session: it starts only when no other runs, and its result carries what
// the user was shown meanwhile.
class Session::Command {
public:
    explicit Command(Session& session) : session_(session) {
        bool idle = false;
        started_ = session_.busy_.compare_exchange_strong(idle, true);
        if (started_) {
            session_.transcript_.Clear();
        } else {
            result.outcome = CommandOutcome::Refused;
        }
    }
    ~Command() {
        if (started_) {
            session_.busy_ = false;
        }
    }
    Command(const Command&) = delete;
    Command& operator=(const Command&) = delete;

    bool Started() const { return started_; }

    SessionResult Finish(CommandOutcome outcome) {
        const TranscriptPanel& shown = session_.transcript_;
        result.outcome = outcome;
        result.notices = shown.notices;
        result.status = shown.status;
        result.declined = shown.declined;
        return std::move(result);
    }

    SessionResult result;

private:
    Session& session_;
    bool started_ = false;
};

Session::Session(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock)
    : transcript_(panel), link_(std::move(port), transcript_, clock) {}

SessionResult Session::Scan() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!link_.OpenAndScan()) {
        return NoBoard(command);
    }
    return command.Finish(CommandOutcome::Ok);
}

SessionResult Session::Open(const std::string& port, std::optional<int> baudRate) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!link_.OpenPort(port, baudRate)) {
        return NoBoard(command);
    }
    return command.Finish(CommandOutcome::Ok);
}

SessionResult Session::NoBoard(Command& command) {
    const std::string trouble = PortTroubleNotice(link_.ScanReport());
    if (!trouble.empty()) {
        transcript_.Notice(trouble);
    }
    transcript_.Notice(kNoProgrammerText);
    return command.Finish(CommandOutcome::NoBoard);
}

SessionResult Session::LearnBoard() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    listing_ = BoardListing{};
    CLowIO::ListBuffer codes{};
    if (link_.ReadSupportedDevices(codes) && codes[0] != 0) {
        const ReportedDevices reported = DevicesForCodes(codes);
        listing_.listType = true;
        listing_.reportedCodes = reported.codeCount;
        listing_.devices = reported.names;
    } else {
        FillProgrammerTypes();
        FillDevicesFromTable();
    }
    // The result does not matter: a board that does not answer keeps its block size.
    static_cast<void>(link_.QueryBlockSize());
    return command.Finish(CommandOutcome::Ok);
}

void Session::FillProgrammerTypes() {
    CLowIO::ListBuffer modes{};
    if (!link_.ReadProgrammerModes(modes)) {
        return;
    }
    listing_.programmerTypes = ProgrammerTypeLabels(modes);
    if (!listing_.programmerTypes.empty()) {
        listing_.programmerType = 0;
    }
    ApplyProgrammerType();
}

void Session::ApplyProgrammerType() {
    if (listing_.programmerType < 0) {
        return;
    }
    const int row =
        FindModeByLabel(listing_.programmerTypes[static_cast<size_t>(listing_.programmerType)]);
    if (row < 0) {
        return;
    }
    const ProgrammerModeRecord& mode = ProgrammerModeTable()[static_cast<size_t>(row)];
    // Deliberately unchecked: the board keeps its own mode when it refuses.
    static_cast<void>(link_.SetProgrammerMode(mode.ModeCharacter()));
    listing_.programmerTypeMask = mode.TypeMask();
}

void Session::FillDevicesFromTable() {
    listing_.programmerLevel = link_.ReadProgrammerLevel();
    listing_.devices = DevicesFromTable(listing_.programmerLevel, listing_.programmerTypeMask);
}

SessionResult Session::ChangeProgrammerType(int index) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (index < 0 || static_cast<size_t>(index) >= listing_.programmerTypes.size()) {
        return command.Finish(CommandOutcome::Failed);
    }
    listing_.programmerType = index;
    listing_.devices.clear();
    ApplyProgrammerType();
    FillDevicesFromTable();
    return command.Finish(CommandOutcome::Ok);
}

int Session::RestoreIndexFor(const std::string& storedName) const {
    return RestoreIndex(listing_.devices, storedName);
}

BoardFacts Session::Board() const {
    return {.port = link_.PortName(),
            .baudRate = link_.BaudRate(),
            .identifier = link_.SoftwareIdentifier(),
            .version = std::nullopt,
            .blockSize = link_.BlockSize()};
}

SessionResult Session::DescribeBoard() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    BoardFacts facts = Board();
    char major = 0;
    char minor = 0;
    if (link_.ReadSoftwareVersion(major, minor)) {
        facts.version = std::string{major, '.', minor};
    }
    command.result.board = std::move(facts);
    return command.Finish(CommandOutcome::Ok);
}

SessionResult Session::SelectDevice(const std::string& name) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    const DeviceRecord& record = FindDeviceByName(name);
    if (record.name == nullptr) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    config_.reset();
    device_ = record;
    image_.assign(record.flashSize, 0xFF);
    // The board's answer changes nothing here: the commands tell it the device again.
    TellDevice();
    return command.Finish(CommandOutcome::Ok);
}

void Session::ClearDevice() {
    config_.reset();
    device_ = DeviceRecord{};
    image_.clear();
}

void Session::TellDevice() {
    // Deliberately unchecked: a board that refused the device shows it in what follows.
    static_cast<void>(link_.SelectDevice(device_, listing_.programmerLevel));
}

SessionResult Session::Run(MemoryCommand memoryCommand, const std::string& fileName,
                           const CommandSwitches& switches, WindowChores& chores) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!HasDevice()) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    CommandContext context{.link = link_,
                           .panel = transcript_,
                           .chores = chores,
                           .image = image_,
                           .device = device_,
                           .programmerLevel = listing_.programmerLevel,
                           .switches = switches,
                           .fileName = fileName};
    FunctionFor(memoryCommand)(context);
    return command.Finish(context.outcome);
}

SessionResult Session::EraseChip() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!HasDevice()) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    TellDevice();
    const bool erased = link_.ChipErase();
    if (link_.InProgMode()) {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link_.LeaveProgMode());
    }
    return command.Finish(OkWhen(erased));
}

SessionResult Session::EraseChip(const ControlState& shown) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!config_) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    config_->Controls() = shown;
    config_->Erase();
    return ConfigResult(command);
}

SessionResult Session::OpenConfig() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!HasDevice()) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    TellDevice();
    config_ = std::make_unique<AdvancedOptions>(link_, device_, listing_.programmerLevel);
    config_->Open();
    return ConfigResult(command);
}

SessionResult Session::ReadInfo() {
    SessionResult result = OpenConfig();
    if (config_) {
        const AdvancedState& state = config_->State();
        result.info = ChipInfo{.signature = state.signature,
                               .calibration = state.calibration,
                               .identifier = state.identifier,
                               .version = state.version,
                               .signatureRead = state.signatureRead};
        if (result.outcome == CommandOutcome::Ok && !state.signatureRead) {
            result.outcome = CommandOutcome::Failed;
        }
    }
    CloseConfig();
    return result;
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
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!config_) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    config_->Controls() = shown;
    config_->Read();
    return ConfigResult(command);
}

SessionResult Session::WriteConfig(const ControlState& shown) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!config_) {
        return command.Finish(CommandOutcome::NoDevice);
    }
    config_->Controls() = shown;
    const ConfigChange change = ChangeFor(*config_, config_->PendingWrite());
    command.result.change = change;
    if (change.LocksOut() && !transcript_.AskYesNo(LockoutQuestion(change), true)) {
        AddConfig(command.result);
        return command.Finish(CommandOutcome::Declined);
    }
    config_->Write();
    AddConfig(command.result);
    return command.Finish(transcript_.StopRequested() ? CommandOutcome::Canceled
                                                      : CommandOutcome::Ok);
}

SessionResult Session::WriteConfigBytes(const ConfigWrite& request, bool allowLockout) {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (!config_) {
        return command.Finish(CommandOutcome::NoDevice);
    }
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
    const bool written = zentaro::WriteConfigBytes(link_, ProfileFor(device_),
                                                   config_->ProgrammerType() == 'S', request);
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
}

void Session::CloseConfig() {
    config_.reset();
}

SessionResult Session::ExitProgramming() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    return command.Finish(OkWhen(link_.ExitProgramming()));
}

SessionResult Session::Rejoin() {
    Command command(*this);
    if (!command.Started()) {
        return std::move(command.result);
    }
    if (link_.Identify() || link_.IdentifyUpgradeMode()) {
        return command.Finish(CommandOutcome::Ok);
    }
    transcript_.Notice(kNoProgrammerText);
    return command.Finish(CommandOutcome::NoBoard);
}

}  // namespace zentaro
