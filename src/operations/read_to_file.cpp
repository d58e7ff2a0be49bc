// SPDX-License-Identifier: GPL-3.0-or-later
#include "images/atomic_file.h"
#include "images/image_file.h"
#include "operations/command_frame.h"
#include "operations/file_questions.h"
#include "operations/read_loops.h"

namespace zentaro {

namespace {

using ReadLoop = bool (*)(CLowIO&, Panel&, std::vector<uint8_t>&);

// The output goes to a temporary file that replaces the user's file only once all of it is
// written, so a failed read leaves any earlier file as it was. Its format is the one the user
// named, or the one its name shows.
bool ReadToFile(CommandContext& context, const char* status, int selectCount, uint32_t size,
                ReadLoop loop) {
    const std::string path = ChooseFile(context);
    if (path.empty()) {
        return false;
    }
    bool declined = false;
    std::unique_ptr<AtomicFile> output = CreateOutputFile(path, context.panel, &declined);
    if (!output) {
        context.outcome = declined ? CommandOutcome::Declined : CommandOutcome::FileError;
        return false;
    }
    CommandFrame frame(context);
    if (!frame.Begin(status, selectCount)) {
        return false;
    }
    context.bytes = size;
    const ImageFormat format = context.switches.format.value_or(FormatForOutputName(path));
    std::vector<uint8_t> memory;
    if (!loop(context.link, context.panel, memory) ||
        !WriteImageFile(format, *output, memory.data(), static_cast<uint32_t>(memory.size())) ||
        !output->Commit()) {
        output.reset();
        return frame.Fail("读取失败   ");
    }
    return frame.Succeed();
}

}  // namespace

bool ReadFlash(CommandContext& context) {
    // The board is told the device twice before a flash read.
    return ReadToFile(context, "读取 Flash...   ", 2, context.device.flashSize, ReadFlashMemory);
}

bool ReadEeprom(CommandContext& context) {
    return ReadToFile(context, "读取 EEPROM   ...", 1, context.device.eepromSize, ReadEepromMemory);
}

}  // namespace zentaro
