#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "common/panel.h"
#include "link/low_io.h"
#include "operations/loop_progress.h"

namespace zentaro {

// The per-user switches the main window reads once at start.
struct CommandSwitches {
    bool verifyFlash = true;
    bool verifyEeprom = true;
    bool ignoreChecksum = false;
};

// Everything a memory command uses from the main window. The memory image is the window's:
// exactly flashSize bytes of the selected device, empty when no device is selected.
struct CommandContext {
    CLowIO& link;
    Panel& panel;
    std::vector<uint8_t>& image;
    const DeviceRecord& device;
    uint8_t programmerLevel = 0;
    CommandSwitches switches;
    // The file chosen in the window; the commands run Panel::Browse when it is empty.
    std::string fileName;
};

// The six commands of the main window. Each returns true when it ended with "OK".
bool ProgramFlash(CommandContext& context);
bool VerifyFlash(CommandContext& context);
bool ProgramEeprom(CommandContext& context);
bool VerifyEeprom(CommandContext& context);
bool ReadFlash(CommandContext& context);
bool ReadEeprom(CommandContext& context);

}  // namespace zentaro
