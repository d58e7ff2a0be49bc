// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/image_steps.h"

#include "operations/command_frame.h"
#include "operations/eeprom_loops.h"
#include "operations/flash_loops.h"

namespace zentaro {

bool WriteImageStep(CommandContext& context, ImageMemory memory, uint32_t first, uint32_t last,
                    bool verify) {
    const bool flash = memory == ImageMemory::Flash;
    CommandFrame frame(context);
    if (!frame.Begin(flash ? kProgrammingText : kWritingEepromText)) {
        return false;
    }
    context.bytes = uint64_t{last} - first + 1;
    CLowIO& link = context.link;
    const bool written = flash ? WriteFlashImage(link, context.panel, context.image, last,
                                                 context.device.flashPageSize)
                               : WriteEepromRange(link, context.panel, context.image, first, last);
    if (!written) {
        return frame.Fail(flash ? kFlashWriteFailedText : kEepromWriteFailedText);
    }
    if (verify) {
        if (flash) {
            link.clock().SleepMs(kPauseBeforeFlashVerifyMs);
        }
        context.panel.AppendStatus(kVerifyingText);
        const bool same = flash
                              ? VerifyFlashRange(link, context.panel, context.image, first, last)
                              : VerifyEepromRange(link, context.panel, context.image, first, last);
        if (!same) {
            return frame.Fail();
        }
    }
    return frame.Succeed();
}

}  // namespace zentaro
