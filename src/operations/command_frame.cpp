// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/command_frame.h"

#include <algorithm>

#include "images/image_file.h"

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

namespace {

// What the window shows for a file it cannot take; the reason in English is the CLI's.
const char* RefusalText(const ImageFileLoad& load, ImageMemory memory) {
    if (load.result == ImageFileLoad::Result::NothingForMemory) {
        return memory == ImageMemory::Flash ? "ELF 文件中没有 Flash 数据!  "
                                            : "ELF 文件中没有 EEPROM 数据!  ";
    }
    switch (load.format) {
        case ImageFormat::SRecord:
            return "您指定的文件不是一个有效的 S-record 格式文件!  ";
        case ImageFormat::Elf:
            return "您指定的文件不是一个有效的 ELF 格式文件!  ";
        default:
            return kNotIntelHexText;
    }
}

}  // namespace

FileLoad LoadFirmwareFile(CommandContext& context, const std::string& path, ImageMemory memory,
                          ImageLoadState& state) {
    // Whatever stops the load is the file's fault: unreadable, of no format read here, or
    // checksums the user would not accept.
    context.outcome = CommandOutcome::FileError;
    const ImageFileLoad load =
        LoadImageFile(path, context.switches.format, memory, context.image, state);
    if (load.result == ImageFileLoad::Result::CannotOpen) {
        return FileLoad::CannotOpen;
    }
    if (!load.Loaded()) {
        context.panel.Notice(RefusalText(load, memory));
        return FileLoad::Stopped;
    }
    if (!load.checksumsMatch && !context.switches.ignoreChecksum &&
        !context.panel.AskYesNo("Checksum not valid in Intel HEX file\nProceed?", true)) {
        return FileLoad::Stopped;
    }
    return FileLoad::Loaded;
}

bool LoadFirmwareFileOrTell(CommandContext& context, const std::string& path, ImageMemory memory,
                            ImageLoadState& state, const char* cannotOpen) {
    const FileLoad load = LoadFirmwareFile(context, path, memory, state);
    if (load == FileLoad::CannotOpen) {
        context.panel.Notice(cannotOpen);
    }
    return load == FileLoad::Loaded;
}

bool ConfirmFit(CommandContext& context, const ImageLoadState& state, uint32_t size,
                const char* question) {
    if (!state.loadedData || state.highestAddress < size ||
        context.panel.AskYesNo(question, true)) {
        return true;
    }
    context.outcome = CommandOutcome::Declined;
    return false;
}

std::optional<uint32_t> LastAddress(const ImageLoadState& state, uint32_t size) {
    if (!state.loadedData || size == 0) {
        return std::nullopt;
    }
    return std::min(state.highestAddress, size - 1);
}

std::optional<uint32_t> LastImageAddress(CommandContext& context, const ImageLoadState& state,
                                         uint32_t memorySize) {
    const std::optional<uint32_t> last = LastAddress(
        state, static_cast<uint32_t>(std::min<size_t>(memorySize, context.image.size())));
    context.bytes = last ? uint64_t{*last} + 1 : 0;
    return last;
}

bool RunVerifyCommand(CommandContext& context, ImageMemory memory, uint32_t memorySize,
                      const char* fitQuestion, const char* status, VerifyLoop loop) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    ImageLoadState state;
    if (!LoadFirmwareFileOrTell(context, path, memory, state, kCannotOpenInputText) ||
        !ConfirmFit(context, state, memorySize, fitQuestion)) {
        return false;
    }
    CommandFrame frame(context);
    if (!frame.Begin(status)) {
        return false;
    }
    const std::optional<uint32_t> last = LastImageAddress(context, state, memorySize);
    if (last && !loop(context.link, context.panel, context.image, *last)) {
        return frame.Fail();
    }
    return frame.Succeed();
}

struct CommandFrame::Ending {
    StatusLamp lamp;
    const char* text;
    bool replacesText;  // the text replaces the status instead of ending it
    const char* notice;
    bool timeout;
    CommandOutcome outcome;
};

CommandFrame::~CommandFrame() {
    if (open_) {
        Fail();
    }
}

bool CommandFrame::Begin(const char* status, int selectCount) {
    open_ = true;
    context_.outcome = CommandOutcome::Failed;
    // Deliberately unchecked: a lamp is no part of the command's result.
    static_cast<void>(context_.link.wire().SetStatusLamp(StatusLamp::Busy));
    context_.panel.EnableControls(false);
    context_.panel.SetStatus(status);
    for (int i = 0; i < selectCount; ++i) {
        if (!context_.link.SelectDevice(context_.device, context_.programmerLevel)) {
            return Fail();
        }
    }
    return true;
}

bool CommandFrame::Succeed() {
    return End({StatusLamp::Done, "OK", false, nullptr, true, CommandOutcome::Ok});
}

bool CommandFrame::Fail(const char* notice) {
    if (context_.panel.StopRequested()) {
        return Cancel();
    }
    return End(
        {StatusLamp::Failed, "失败  ", false, notice, failureTimesOut_, CommandOutcome::Failed});
}

bool CommandFrame::Cancel() {
    return End({StatusLamp::Failed, "Canceled", false, nullptr, false, CommandOutcome::Canceled});
}

bool CommandFrame::Decline() {
    return End({StatusLamp::Failed, "Canceled", false, nullptr, false, CommandOutcome::Declined});
}

bool CommandFrame::FailErase() {
    return End({StatusLamp::Failed, "擦除失败    ", true, nullptr, true, CommandOutcome::Failed});
}

bool CommandFrame::End(const Ending& ending) {
    open_ = false;
    const bool ok = ending.outcome == CommandOutcome::Ok;
    CLowIO& link = context_.link;
    // A loop that ran to its end has left programming mode already. After anything else the
    // board's state is not known, so 'L' always goes out, once the user has seen why.
    if (ok && link.InProgMode()) {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link.LeaveProgMode());
    }
    // Deliberately unchecked: a lamp is no part of the command's result.
    static_cast<void>(link.wire().SetStatusLamp(ending.lamp));
    if (ending.replacesText) {
        context_.panel.SetStatus(ending.text);
    } else {
        context_.panel.AppendStatus(ending.text);
    }
    if (ending.notice != nullptr) {
        context_.panel.Notice(ending.notice);
    }
    if (!ok) {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link.LeaveProgMode());
    }
    context_.panel.EnableControls(true);
    if (ending.timeout) {
        context_.panel.StartStatusTimeout();
    }
    context_.outcome = ending.outcome;
    return ok;
}

}  // namespace zentaro
