// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "common/clock.h"
#include "common/panel.h"
#include "config_bits/flows.h"
#include "link/low_io.h"
#include "link/serial_port.h"
#include "operations/memory_commands.h"
#include "session/session_result.h"
#include "session/transcript_panel.h"

namespace zentaro {

// Shown when no board answers, at start and when the board is checked again. "1.37 汉化版" is
// the edition its users have always seen here, not the build's version (kVersion).
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
// list, the selected device with its memory image, and every command, one at a time. Each
// command returns a SessionResult with what it showed the user. The session owns the link and
// the image; nothing in it is shared with another session, so several boards can each have
// their own on their own thread.
class Session {
public:
    Session(std::unique_ptr<SerialPort> port, Panel& panel, Clock& clock);
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Finds the board by the scan over COM1 … COM4. When none answers, the user is told why
    // ports that exist could not be opened (when any), then the no-board message.
    SessionResult Scan();
    // The same on one port (a COM name or a device path): at the scan's rates, or at
    // baudRate only.
    SessionResult Open(const std::string& port, std::optional<int> baudRate = std::nullopt);

    // After a successful Scan or Open: the device list from 't', or the programmer types
    // ('O', the first one sent with 'o') and the level ('K') with the table; then the block
    // size ('b'). No device is selected yet.
    SessionResult LearnBoard();
    const BoardListing& Listing() const { return listing_; }
    // Another programmer type: it is sent to the board, the level read again and the device
    // list rebuilt. The device stays selected until the next SelectDevice or ClearDevice.
    SessionResult ChangeProgrammerType(int index);
    // The listing entry to select for a stored device name.
    int RestoreIndexFor(const std::string& storedName) const;
    // The port, the rate and the identifier, and the version read from the board now.
    SessionResult DescribeBoard();
    BoardFacts Board() const;

    // Copies the table row of that name, renews the memory image (flashSize bytes of 0xFF)
    // and sends the select-device block. NoDevice when no row has the name.
    SessionResult SelectDevice(const std::string& name);
    // No device: nothing may run, and no image is kept.
    void ClearDevice();
    bool HasDevice() const { return device_.name != nullptr; }
    // The end row (null name) when no device is selected.
    const DeviceRecord& Device() const { return device_; }
    const std::vector<uint8_t>& Image() const { return image_; }

    // Runs one memory command on the selected device; the board is told the device again
    // first. fileName empty: the command asks the Panel to browse.
    SessionResult Run(MemoryCommand command, const std::string& fileName,
                      const CommandSwitches& switches);

    // A production job's memory step: image[first … last] of memory written as it stands (no
    // file, no erase and no question) and compared when verify is set; image holds at most the
    // memory's size. Flash is written from address 0 with blank units skipped.
    SessionResult WriteImage(ImageMemory memory, std::vector<uint8_t> image, uint32_t first,
                             uint32_t last, bool verify);

    // Tells the board the device, erases the chip and leaves programming mode.
    SessionResult EraseChip();
    // The same from the open lock and fuse view, which has told the board the device: the
    // bytes are read back onto the controls as the user left them, where reading is allowed.
    SessionResult EraseChip(const ControlState& shown);
    // Signature, calibration byte, identifier and version, as the lock and fuse view shows
    // them when it opens.
    SessionResult ReadInfo();

    // The lock and fuse view of the selected device: the board is told the device again, then
    // identity, programmer type, the first read and the access rights. Its state comes with
    // every result until CloseConfig.
    SessionResult OpenConfig();
    // Reads the bytes again onto the controls as the user left them.
    SessionResult ReadConfig(const ControlState& shown);
    // Writes what the controls stand for. A write that would take the chip out of reach of
    // this programmer is asked about first; No sends nothing.
    SessionResult WriteConfig(const ControlState& shown);
    // Writes the bytes given and leaves the others alone, refused as a whole when the rights
    // forbid one, or when it locks the chip out and allowLockout is false. The bytes are read
    // again afterwards where reading is allowed.
    SessionResult WriteConfigBytes(const ConfigWrite& request, bool allowLockout);
    void CloseConfig();

    // Leaves programming with 'E' (the board may refuse, and says so through the Panel).
    SessionResult ExitProgramming();
    // Checks that the board answers again after ExitProgramming; tells the user when not.
    SessionResult Rejoin();

    // A command is running. Every command asked for meanwhile is refused.
    bool Busy() const { return busy_; }
    // Asks the running command to stop at its next exchange with the board; it then leaves
    // programming mode and ends as Canceled. Safe from any thread; forgotten when the next
    // command starts.
    void RequestStop() { transcript_.RequestStop(); }

private:
    class Command;
    // Runs body(command) unless another command runs (Refused); the other two also refuse
    // without a device, or without the lock and fuse view open (NoDevice).
    template <typename Body>
    SessionResult Exclusive(Body body);
    template <typename Body>
    SessionResult WithDevice(Body body);
    template <typename Body>
    SessionResult InConfig(Body body);

    SessionResult NoBoard(Command& command);
    void FillProgrammerTypes();
    void ApplyProgrammerType();
    void FillDevicesFromTable();
    void TellDevice();
    void AddConfig(SessionResult& result) const;
    // What a memory command works on: this session's link, device and transcript.
    CommandContext ContextFor(std::vector<uint8_t>& image, const CommandSwitches& switches,
                              const std::string& fileName);
    SessionResult ConfigResult(Command& command);
    StopCheck UserStop() {
        return [this] { return transcript_.StopRequested(); };
    }

    TranscriptPanel transcript_;
    CLowIO link_;
    BoardListing listing_;
    DeviceRecord device_;
    std::vector<uint8_t> image_;
    std::unique_ptr<AdvancedOptions> config_;
    std::atomic<bool> busy_{false};
};

}  // namespace zentaro
