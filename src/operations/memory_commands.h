// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "common/panel.h"
#include "images/image_format.h"
#include "link/low_io.h"
#include "operations/loop_progress.h"

namespace zentaro {

// The per-user switches the main window reads once at start.
struct CommandSwitches {
    bool verifyFlash = true;
    bool verifyEeprom = true;
    bool ignoreChecksum = false;
    // The firmware file's format as the user named it; without it the file's content (and,
    // for a file read from the chip, its name) decides.
    std::optional<ImageFormat> format;
};

// How a command ended, for front ends that report more than the status text.
enum class CommandOutcome {
    Ok,         // ended with "OK"
    Failed,     // the board failed or the chip differed from the file
    Declined,   // the user answered No to a question (size, overwrite, boot area)
    FileError,  // no file, or it could not be opened, parsed or created: nothing was sent
    NoDevice,   // no device selected
    Refused,    // another command is still running
    Canceled,   // the user asked it to stop; it ended with "Canceled"
    NoBoard,    // no board answered
};

// Everything a memory command uses from its front end. The memory image is exactly
// flashSize bytes of the selected device, empty when no device is selected.
struct CommandContext {
    CLowIO& link;
    Panel& panel;
    std::vector<uint8_t>& image;
    const DeviceRecord& device;
    uint8_t programmerLevel = 0;
    CommandSwitches switches;
    // The file chosen in the window; the commands run Panel::Browse when it is empty.
    std::string fileName;
    // Set by the command on its way out.
    CommandOutcome outcome = CommandOutcome::Failed;
    // Set by the command once it starts on the chip: the bytes it writes, compares or reads.
    uint64_t bytes = 0;
};

// The six commands of the main window. Each returns true when it ended with "OK".
[[nodiscard]] bool ProgramFlash(CommandContext& context);
[[nodiscard]] bool VerifyFlash(CommandContext& context);
[[nodiscard]] bool ProgramEeprom(CommandContext& context);
[[nodiscard]] bool VerifyEeprom(CommandContext& context);
[[nodiscard]] bool ReadFlash(CommandContext& context);
[[nodiscard]] bool ReadEeprom(CommandContext& context);

}  // namespace zentaro
