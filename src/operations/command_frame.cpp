#include "operations/command_frame.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace zentaro {

std::string ChooseFile(CommandContext& context) {
    if (context.image.empty()) {
        context.outcome = CommandOutcome::NoDevice;
        context.panel.Notice("错误:没有选择目标芯片!      ");
        return {};
    }
    if (context.fileName.empty()) {
        context.fileName = context.panel.Browse();
    }
    if (context.fileName.empty()) {
        context.outcome = CommandOutcome::FileError;
    }
    return context.fileName;
}

HexLoad LoadHexFile(CommandContext& context, const std::string& path, HexLoadState& state) {
    // Whatever stops the load is the file's fault: unreadable, no Intel HEX, or checksums
    // the user would not accept.
    context.outcome = CommandOutcome::FileError;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        return HexLoad::CannotOpen;
    }
    std::ifstream file(path);
    if (!file) {
        return HexLoad::CannotOpen;
    }
    if (!IsHexFile(file)) {
        context.panel.Notice(kNotIntelHexText);
        return HexLoad::Stopped;
    }
    std::fill(context.image.begin(), context.image.end(), 0xFF);
    state = HexLoadState{};
    if (!LoadHexImage(file, context.image, state) && !context.switches.ignoreChecksum &&
        !context.panel.AskYesNo("Checksum not valid in Intel HEX file\nProceed?", true)) {
        return HexLoad::Stopped;
    }
    return HexLoad::Loaded;
}

bool LoadHexFileOrTell(CommandContext& context, const std::string& path, HexLoadState& state,
                       const char* cannotOpen) {
    const HexLoad load = LoadHexFile(context, path, state);
    if (load == HexLoad::CannotOpen) {
        context.panel.Notice(cannotOpen);
    }
    return load == HexLoad::Loaded;
}

bool ConfirmFit(CommandContext& context, const HexLoadState& state, uint32_t size,
                const char* question) {
    if (!state.loadedData || state.highestAddress < size ||
        context.panel.AskYesNo(question, true)) {
        return true;
    }
    context.outcome = CommandOutcome::Declined;
    return false;
}

std::optional<uint32_t> LastAddress(const HexLoadState& state, uint32_t size) {
    if (!state.loadedData || size == 0) {
        return std::nullopt;
    }
    return std::min(state.highestAddress, size - 1);
}

std::optional<uint32_t> LastImageAddress(const CommandContext& context, const HexLoadState& state,
                                         uint32_t memorySize) {
    return LastAddress(state,
                       static_cast<uint32_t>(std::min<size_t>(memorySize, context.image.size())));
}

bool RunVerifyCommand(CommandContext& context, uint32_t memorySize, const char* fitQuestion,
                      const char* status, VerifyLoop loop) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    HexLoadState state;
    if (!LoadHexFileOrTell(context, path, state, kCannotOpenInputText) ||
        !ConfirmFit(context, state, memorySize, fitQuestion) || !BeginCommand(context, status)) {
        return false;
    }
    const std::optional<uint32_t> last = LastImageAddress(context, state, memorySize);
    if (last && !loop(context.link, context.image, *last)) {
        return EndFailed(context);
    }
    return EndOk(context);
}

bool EnterBusy(CommandContext& context, const char* status, int selectCount) {
    context.outcome = CommandOutcome::Failed;
    context.link.SetStatusLamp(CLowIO::kLampBusy);
    context.chores.EnableControls(false);
    context.panel.SetStatus(status);
    for (int i = 0; i < selectCount; ++i) {
        if (!context.link.SelectDevice(context.device, context.programmerLevel)) {
            return EndFailed(context);
        }
    }
    return true;
}

bool BeginCommand(CommandContext& context, const char* status, int selectCount) {
    if (!EnterBusy(context, status, selectCount)) {
        return false;
    }
    context.chores.DrainMessages();
    return true;
}

bool EndOk(CommandContext& context) {
    if (context.link.InProgMode()) {
        context.link.LeaveProgMode();
    }
    context.link.SetStatusLamp(CLowIO::kLampDone);
    context.chores.EnableControls(true);
    context.panel.AppendStatus("OK");
    context.panel.StartStatusTimeout();
    context.outcome = CommandOutcome::Ok;
    return true;
}

bool EndFailed(CommandContext& context, const char* notice) {
    context.link.SetStatusLamp(CLowIO::kLampFailed);
    context.panel.AppendStatus("失败  ");
    if (notice != nullptr) {
        context.panel.Notice(notice);
    }
    context.outcome = CommandOutcome::Failed;
    context.link.LeaveProgMode();
    context.chores.EnableControls(true);
    return false;
}

}  // namespace zentaro
