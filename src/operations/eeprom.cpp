// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "operations/command_frame.h"
#include "operations/eeprom_loops.h"

namespace zentaro {

namespace {

constexpr unsigned kNoFileStatusMs = 1000;

constexpr char kProgramFitQuestion[] =
    "文件中数据的大小不适合写入该 EEPROM.  \n是否写入所适合的那部分数据?            ";
constexpr char kVerifyFitQuestion[] =
    "文件中数据的大小不适合写入该 EEPROM.  \n是否校验所适合的那部分数据?            ";

}  // namespace

bool ProgramEeprom(CommandContext& context) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    ImageLoadState state;
    switch (LoadFirmwareFile(context, path, ImageMemory::Eeprom, state)) {
        case FileLoad::Loaded:
            break;
        case FileLoad::CannotOpen:
            context.panel.SetStatus("没有EEPROM文件");
            context.link.clock().SleepMs(kNoFileStatusMs);
            return false;
        case FileLoad::Stopped:
            return false;
    }
    if (!ConfirmFit(context, state, context.device.eepromSize, kProgramFitQuestion)) {
        return false;
    }
    // Unlike the other commands, program EEPROM lets its failure text time out as well.
    CommandFrame frame(context, true);
    if (!frame.Begin(kWritingEepromText)) {
        return false;
    }
    const std::optional<uint32_t> last =
        LastImageAddress(context, state, context.device.eepromSize);
    if (last && !WriteEepromImage(context.link, context.panel, context.image, *last)) {
        return frame.Fail(kEepromWriteFailedText);
    }
    if (context.switches.verifyEeprom) {
        context.panel.AppendStatus(kVerifyingText);
        context.panel.EnableControls(false);
        if (last && !VerifyEepromImage(context.link, context.panel, context.image, *last)) {
            return frame.Fail();
        }
    }
    return frame.Succeed();
}

bool VerifyEeprom(CommandContext& context) {
    return RunVerifyCommand(context, ImageMemory::Eeprom, context.device.eepromSize,
                            kVerifyFitQuestion, "校验 EEPROM...     ", VerifyEepromImage);
}

}  // namespace zentaro
