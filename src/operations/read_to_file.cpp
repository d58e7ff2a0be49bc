// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/hex_writer.h"
#include "operations/command_frame.h"
#include "operations/read_loops.h"

namespace zentaro {

namespace {

using ReadLoop = bool (*)(CLowIO&, HexOutput&);

// The output goes to a temporary file that replaces the user's file only once the end
// record is written, so a failed read leaves any earlier file as it was.
bool ReadToFile(CommandContext& context, const char* status, int selectCount, uint32_t size,
                ReadLoop loop) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    bool declined = false;
    std::unique_ptr<HexOutput> output = CreateHexOutput(path, context.panel, &declined);
    if (!output) {
        context.outcome = declined ? CommandOutcome::Declined : CommandOutcome::FileError;
        return false;
    }
    CommandFrame frame(context);
    if (!frame.Begin(status, selectCount)) {
        return false;
    }
    context.bytes = size;
    if (!loop(context.link, *output) || !output->Commit()) {
        output.reset();
        return frame.Fail("读取失败   ");
    }
    return frame.Succeed();
}

}  // namespace

bool ReadFlash(CommandContext& context) {
    // The board is told the device twice before a flash read.
    return ReadToFile(context, "读取 Flash...   ", 2, context.device.flashSize, ReadFlashToHex);
}

bool ReadEeprom(CommandContext& context) {
    return ReadToFile(context, "读取 EEPROM   ...", 1, context.device.eepromSize, ReadEepromToHex);
}

}  // namespace zentaro
