// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "common/clock.h"
#include "common/panel.h"
#include "common/window_chores.h"
#include "config_bits/flows.h"
#include "link/low_io.h"
#include "link/serial_port.h"
#include "operations/memory_commands.h"

namespace zentaro {

// Shown when no board answers, at start and when the board is checked again.
inline constexpr char kNoProgrammerText[] = "没有发现编程器目标板！   \nZentaro 1.37 汉化版 ";

enum class MemoryCommand {
    ProgramFlash,
    VerifyFlash,
    ReadFlash,
    ProgramEeprom,
    VerifyEeprom,
    ReadEeprom
};

// What the board reported at start-up and the lists a front end offers from it.
struct BoardListing {
    // The board listed its devices with 't' (its programmer level then counts as 0).
    bool listType = false;
    // Codes in the 't' reply up to its zero byte, known to the table or not.
    int reportedCodes = 0;
    std::vector<std::string> devices;          // sorted
    std::vector<std::string> programmerTypes;  // sorted mode labels, for table boards
    int programmerType = -1;                   // index into programmerTypes; -1 for none
    uint8_t programmerLevel = 0;
    // All programmer types until the board names its mode.
    uint8_t programmerTypeMask = kAllProgrammerTypes;

    // A board that reports exactly one code leaves nothing to choose.
    bool DeviceListEnabled() const { return !(listType && reportedCodes == 1); }
};

// One programmer board as both front ends drive it: finding and identifying it, the device
// list, the selected device with its memory image, and the commands, one at a time. It owns
// the link and the image; nothing in it is shared with another session, so several boards can
// each have their own on their own thread.
class Session {
public:
    Session(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Finds the board by the scan over COM1 … COM4.
    [[nodiscard]] bool Scan();
    // Finds the board on one port (a COM name or a device path): at the scan's rates, or at
    // baudRate only.
    [[nodiscard]] bool Open(const std::string& port, std::optional<int> baudRate = std::nullopt);
    // After a Scan or Open that found nothing: why ports that exist could not be opened (when
    // any), then the no-board message.
    void ReportNoBoard();

    // After a successful Scan or Open: the device list from 't', or the programmer types
    // ('O', the first one sent with 'o') and the level ('K') with the table; then the block
    // size ('b'). No device is selected yet.
    void LearnBoard();
    const BoardListing& Listing() const { return listing_; }
    // Another programmer type: it is sent to the board, the level read again and the device
    // list rebuilt. The device stays selected until the next SelectDevice or ClearDevice.
    void ChangeProgrammerType(int index);
    // The listing entry to select for a stored device name.
    int RestoreIndexFor(const std::string& storedName) const;

    // Copies the table row of that name, renews the memory image (flashSize bytes of 0xFF)
    // and sends the select-device block. False when no row has the name or a command runs.
    [[nodiscard]] bool SelectDevice(const std::string& name);
    // No device: nothing may run, and no image is kept.
    void ClearDevice();
    bool HasDevice() const { return device_.name != nullptr; }
    // The end row (null name) when no device is selected.
    const DeviceRecord& Device() const { return device_; }
    const std::vector<uint8_t>& Image() const { return image_; }

    // Runs one memory command on the selected device; the board is told the device again
    // first. fileName empty: the command asks the Panel to browse. A request while another
    // command runs is refused, as is one without a device (both silently).
    CommandOutcome Run(MemoryCommand command, const std::string& fileName,
                       const CommandSwitches& switches, WindowChores& chores);
    bool Busy() const { return busy_; }

    // The lock and fuse options of the selected device, after telling the board the device
    // again; nullptr without a device or while a command runs. The caller runs Open().
    std::unique_ptr<AdvancedOptions> AdvancedOptionsForDevice();

    // Leaves programming with 'E' (the board may refuse, and says so through the Panel).
    [[nodiscard]] bool ExitProgramming();
    // Checks that the board answers again after ExitProgramming; tells the user when not.
    [[nodiscard]] bool Rejoin();

    CLowIO& Link() { return link_; }
    Panel& panel() { return link_.panel(); }

private:
    void FillProgrammerTypes();
    void ApplyProgrammerType();
    void FillDevicesFromTable();

    CLowIO link_;
    BoardListing listing_;
    DeviceRecord device_;
    std::vector<uint8_t> image_;
    bool busy_ = false;
};

}  // namespace zentaro
