// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/session.h"

#include "operations/image_steps.h"
#include "operations/link_notices.h"
#include "session/device_lists.h"
#include "session/session_command.h"

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

}  // namespace

Session::Session(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock)
    : transcript_(panel), link_(std::move(port), clock, NoticesOn(transcript_)) {}

SessionResult Session::Scan() {
    return Exclusive([&](Command& command) {
        if (!link_.OpenAndScan()) {
            return NoBoard(command);
        }
        return command.Finish(CommandOutcome::Ok);
    });
}

SessionResult Session::Open(const std::string& port, std::optional<int> baudRate) {
    return Exclusive([&](Command& command) {
        if (!link_.OpenPort(port, baudRate)) {
            return NoBoard(command);
        }
        return command.Finish(CommandOutcome::Ok);
    });
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
    return Exclusive([&](Command& command) {
        listing_ = BoardListing{};
        BoardProtocol::ListBuffer codes{};
        if (link_.wire().ReadSupportedDevices(codes) && codes[0] != 0) {
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
    });
}

void Session::FillProgrammerTypes() {
    BoardProtocol::ListBuffer modes{};
    if (!link_.wire().ReadProgrammerModes(modes)) {
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
    static_cast<void>(link_.wire().SetProgrammerMode(mode.ModeCharacter()));
    listing_.programmerTypeMask = mode.TypeMask();
}

void Session::FillDevicesFromTable() {
    listing_.programmerLevel = link_.wire().ReadProgrammerLevel();
    listing_.devices = DevicesFromTable(listing_.programmerLevel, listing_.programmerTypeMask);
}

SessionResult Session::ChangeProgrammerType(int index) {
    return Exclusive([&](Command& command) {
        if (index < 0 || static_cast<size_t>(index) >= listing_.programmerTypes.size()) {
            return command.Finish(CommandOutcome::Failed);
        }
        listing_.programmerType = index;
        listing_.devices.clear();
        ApplyProgrammerType();
        FillDevicesFromTable();
        return command.Finish(CommandOutcome::Ok);
    });
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
    return Exclusive([&](Command& command) {
        BoardFacts facts = Board();
        char major = 0;
        char minor = 0;
        if (link_.wire().ReadSoftwareVersion(major, minor)) {
            facts.version = std::string{major, '.', minor};
        }
        command.result.board = std::move(facts);
        return command.Finish(CommandOutcome::Ok);
    });
}

SessionResult Session::SelectDevice(const std::string& name) {
    return Exclusive([&](Command& command) {
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
    });
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

CommandContext Session::ContextFor(std::vector<uint8_t>& image, const CommandSwitches& switches,
                                   const std::string& fileName) {
    return {.link = link_,
            .panel = transcript_,
            .image = image,
            .device = device_,
            .programmerLevel = listing_.programmerLevel,
            .switches = switches,
            .fileName = fileName};
}

SessionResult Session::Run(MemoryCommand memoryCommand, const std::string& fileName,
                           const CommandSwitches& switches) {
    return WithDevice([&](Command& command) {
        CommandContext context = ContextFor(image_, switches, fileName);
        FunctionFor(memoryCommand)(context);
        command.result.bytes = context.bytes;
        return command.Finish(context.outcome);
    });
}

SessionResult Session::WriteImage(ImageMemory memory, std::vector<uint8_t> image, uint32_t first,
                                  uint32_t last, bool verify) {
    return WithDevice([&](Command& command) {
        const uint32_t size = memory == ImageMemory::Flash ? device_.flashSize : device_.eepromSize;
        if (first > last || last >= image.size() || image.size() > size) {
            command.result.refusal = "the image does not fit the device's " +
                                     std::string(memory == ImageMemory::Flash ? "flash" : "EEPROM");
            return command.Finish(CommandOutcome::FileError);
        }
        CommandContext context = ContextFor(image, {}, {});
        static_cast<void>(WriteImageStep(context, memory, first, last, verify));
        command.result.bytes = context.bytes;
        return command.Finish(context.outcome);
    });
}

SessionResult Session::EraseChip() {
    return WithDevice([&](Command& command) {
        TellDevice();
        const bool erased = link_.ChipErase();
        if (link_.InProgMode()) {
            // Deliberately unchecked: the link forgets programming mode whatever the board answers.
            static_cast<void>(link_.LeaveProgMode());
        }
        return command.Finish(OkWhen(erased));
    });
}

SessionResult Session::ExitProgramming() {
    return Exclusive(
        [&](Command& command) { return command.Finish(OkWhen(link_.ExitProgramming())); });
}

SessionResult Session::Rejoin() {
    return Exclusive([&](Command& command) {
        if (link_.Identify() || link_.IdentifyUpgradeMode()) {
            return command.Finish(CommandOutcome::Ok);
        }
        transcript_.Notice(kNoProgrammerText);
        return command.Finish(CommandOutcome::NoBoard);
    });
}

}  // namespace zentaro
