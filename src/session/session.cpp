// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include "session/device_lists.h"

namespace zentaro {

namespace {

// Marks the session busy for one scope.
class BusyScope {
public:
    explicit BusyScope(bool& busy) : busy_(busy) { busy_ = true; }
    ~BusyScope() { busy_ = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    bool& busy_;
};

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

}  // namespace

Session::Session(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock)
    : link_(std::move(port), panel, clock) {}

bool Session::Scan() {
    return link_.OpenAndScan();
}

bool Session::Open(const std::string& port, std::optional<int> baudRate) {
    return link_.OpenPort(port, baudRate);
}

void Session::ReportNoBoard() {
    const std::string trouble = PortTroubleNotice(link_.ScanReport());
    if (!trouble.empty()) {
        link_.panel().Notice(trouble);
    }
    link_.panel().Notice(kNoProgrammerText);
}

void Session::LearnBoard() {
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

void Session::ChangeProgrammerType(int index) {
    if (busy_ || index < 0 || static_cast<size_t>(index) >= listing_.programmerTypes.size()) {
        return;
    }
    listing_.programmerType = index;
    listing_.devices.clear();
    ApplyProgrammerType();
    FillDevicesFromTable();
}

int Session::RestoreIndexFor(const std::string& storedName) const {
    return RestoreIndex(listing_.devices, storedName);
}

bool Session::SelectDevice(const std::string& name) {
    const DeviceRecord& record = FindDeviceByName(name);
    if (busy_ || record.name == nullptr) {
        return false;
    }
    device_ = record;
    image_.assign(record.flashSize, 0xFF);
    // The board's answer changes nothing here: the commands tell it the device again.
    static_cast<void>(link_.SelectDevice(record, listing_.programmerLevel));
    return true;
}

void Session::ClearDevice() {
    device_ = DeviceRecord{};
    image_.clear();
}

CommandOutcome Session::Run(MemoryCommand command, const std::string& fileName,
                            const CommandSwitches& switches, WindowChores& chores) {
    if (busy_) {
        return CommandOutcome::Refused;
    }
    if (!HasDevice()) {
        return CommandOutcome::NoDevice;
    }
    const BusyScope busy(busy_);
    CommandContext context{.link = link_,
                           .panel = link_.panel(),
                           .chores = chores,
                           .image = image_,
                           .device = device_,
                           .programmerLevel = listing_.programmerLevel,
                           .switches = switches,
                           .fileName = fileName};
    FunctionFor(command)(context);
    return context.outcome;
}

std::unique_ptr<AdvancedOptions> Session::AdvancedOptionsForDevice() {
    if (busy_ || !HasDevice()) {
        return nullptr;
    }
    // Deliberately unchecked: a board that refused the device shows it in the reads that follow.
    static_cast<void>(link_.SelectDevice(device_, listing_.programmerLevel));
    return std::make_unique<AdvancedOptions>(link_, device_, listing_.programmerLevel);
}

bool Session::ExitProgramming() {
    return !busy_ && link_.ExitProgramming();
}

bool Session::Rejoin() {
    if (link_.Identify() || link_.IdentifyUpgradeMode()) {
        return true;
    }
    link_.panel().Notice(kNoProgrammerText);
    return false;
}

}  // namespace zentaro
