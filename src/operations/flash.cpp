// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "images/encrypted_image.h"
#include "operations/boot_area.h"
#include "operations/command_frame.h"
#include "operations/file_questions.h"
#include "operations/flash_loops.h"

namespace zentaro {

namespace {

constexpr uint8_t kEncryptedImageLock = 0xF9;

constexpr char kProgramFitQuestion[] =
    "文件中数据的大小不适合写入该 Flash.  \n是否写入所适合的那部分数据?            ";
constexpr char kVerifyFitQuestion[] =
    "文件中数据的大小不适合写入该 Flash.  \n是否校验所适合的那部分数据?           ";

uint32_t FlashBytes(const CommandContext& context) {
    return static_cast<uint32_t>(std::min<size_t>(context.device.flashSize, context.image.size()));
}

// An encrypted image goes by its name, unless the user named the file's format.
bool IsEncrypted(const CommandContext& context, const std::string& path) {
    return !context.switches.format && IsEncryptedImageName(path);
}

// Loads the chosen file as the program-flash command takes it: encrypted, or any firmware file.
bool LoadForProgramming(CommandContext& context, const std::string& path, ImageLoadState& state) {
    if (IsEncrypted(context, path)) {
        context.outcome = CommandOutcome::FileError;
        const EncryptedImageLoad load = LoadEncryptedImage(path, context.image, state);
        if (load != EncryptedImageLoad::Loaded) {
            context.panel.Notice(EncryptedImageNotice(load));
        }
        return load == EncryptedImageLoad::Loaded;
    }
    return LoadFirmwareFileOrTell(context, path, ImageMemory::Flash, state,
                                  "不能读取输入文件         ");
}

enum class BootCheck { Proceed, Canceled, Failed };

// Keeps the boot-loader section unless the user agrees to program into it; may lower last
// to the byte before the section. The boot size is read even when there is nothing to program.
BootCheck CheckBootArea(CommandContext& context, std::optional<uint32_t>& last) {
    const std::optional<uint32_t> bootWords =
        ReadBootSizeWords(context.link, ProfileFor(context.device));
    if (!bootWords) {
        return BootCheck::Failed;
    }
    const uint32_t bootBytes = 2 * *bootWords;
    const uint32_t flashSize = FlashBytes(context);
    if (!last || bootBytes == 0 || bootBytes > flashSize || *last < flashSize - bootBytes) {
        return BootCheck::Proceed;
    }
    if (!context.panel.AskYesNo("Code enters BOOT area. Proceed??", false)) {
        return BootCheck::Canceled;
    }
    if (context.panel.AskYesNo("Truncate at BOOT limit ??", false)) {
        *last = flashSize - bootBytes - 1;
    }
    return BootCheck::Proceed;
}

}  // namespace

bool ProgramFlash(CommandContext& context) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    ImageLoadState state;
    if (!LoadForProgramming(context, path, state) ||
        !ConfirmFit(context, state, context.device.flashSize, kProgramFitQuestion)) {
        return false;
    }
    const bool encrypted = IsEncrypted(context, path);

    CommandFrame frame(context);
    if (!frame.Begin("擦除芯片...      ")) {
        return false;
    }
    if (!context.link.ChipErase()) {
        return frame.FailErase();
    }
    context.panel.AppendStatus(kProgrammingText);

    std::optional<uint32_t> last = LastImageAddress(context, state, context.device.flashSize);
    switch (CheckBootArea(context, last)) {
        case BootCheck::Proceed:
            break;
        case BootCheck::Canceled:
            return frame.Decline();
        case BootCheck::Failed:
            return frame.Fail();
    }
    if (last && !WriteFlashImage(context.link, context.panel, context.image, *last,
                                 context.device.flashPageSize)) {
        return frame.Fail(kFlashWriteFailedText);
    }
    if (context.switches.verifyFlash) {
        context.link.clock().SleepMs(kPauseBeforeFlashVerifyMs);
        context.panel.AppendStatus(kVerifyingText);
        context.panel.EnableControls(false);
        if (last && !VerifyFlashImage(context.link, context.panel, context.image, *last)) {
            return frame.Fail();
        }
    }
    if (encrypted && ProfileFor(context.device).lockAfterEncryptedImage) {
        // Deliberately unchecked: the chip is programmed and verified; the lock is extra.
        static_cast<void>(context.link.WriteLockBits(kEncryptedImageLock));
    }
    return frame.Succeed();
}

bool VerifyFlash(CommandContext& context) {
    return RunVerifyCommand(context, ImageMemory::Flash, context.device.flashSize,
                            kVerifyFitQuestion, "校验 Flash...     ", VerifyFlashImage);
}

}  // namespace zentaro
