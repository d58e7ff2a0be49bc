// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "images/image_format.h"
#include "images/image_load_state.h"
#include "operations/memory_commands.h"

namespace zentaro {

// The steps every memory command of the main window shares.

inline constexpr char kNotIntelHexText[] = "您指定的文件不是一个有效的 Intel HEX 格式文件!  ";
inline constexpr char kCannotOpenInputText[] = "不能打开输入文件         ";
// Appended when a program command goes on to verify.
inline constexpr char kVerifyingText[] = "检验...     ";
inline constexpr char kProgrammingText[] = "编程...       ";
inline constexpr char kWritingEepromText[] = "写入 EEPROM...       ";
inline constexpr char kFlashWriteFailedText[] = "编程失败          ";
inline constexpr char kEepromWriteFailedText[] = "EEPROM 编程失败         ";
inline constexpr unsigned kPauseBeforeFlashVerifyMs = 200;

// The file chosen in the window, or the one Browse now picks. Empty when there is none, or
// (after telling the user) when no device is selected: there is no memory image then.
std::string ChooseFile(CommandContext& context);

enum class FileLoad { Loaded, CannotOpen, Stopped };
// Loads the firmware file for memory into the memory image (as LoadImageFile does, in the
// format the switches name or the file shows) and asks the checksum question unless checksums
// are ignored. CannotOpen leaves the message to the caller; Stopped means the user has been
// told or has declined.
FileLoad LoadFirmwareFile(CommandContext& context, const std::string& path, ImageMemory memory,
                          ImageLoadState& state);
// LoadFirmwareFile, showing cannotOpen when the file cannot be opened; true when loaded.
[[nodiscard]] bool LoadFirmwareFileOrTell(CommandContext& context, const std::string& path,
                                          ImageMemory memory, ImageLoadState& state,
                                          const char* cannotOpen);

// Asks question when the loaded data reach beyond a memory of size bytes; false on No.
[[nodiscard]] bool ConfirmFit(CommandContext& context, const ImageLoadState& state, uint32_t size,
                              const char* question);
// The inclusive last address to transfer within a memory of size bytes; nullopt when the
// file carried no data byte (or nothing fits).
std::optional<uint32_t> LastAddress(const ImageLoadState& state, uint32_t size);
// LastAddress within a memory of memorySize bytes that lies in the memory image; the bytes up
// to it are what the command moves.
std::optional<uint32_t> LastImageAddress(CommandContext& context, const ImageLoadState& state,
                                         uint32_t memorySize);

// The busy state around a command's work with the board, and its one ending. Begin lights the
// busy lamp, turns the controls off, shows the command's status text and tells the board the
// device; every ending then runs the same steps in the same order: programming mode left, the
// lamp, the status ending, a notice, the controls back on and, where the text is to clear
// itself, the status time-out. A frame that was begun and never ended ends as failed.
class CommandFrame {
public:
    // failureTimesOut: the failure text clears itself like a success text (program EEPROM).
    explicit CommandFrame(CommandContext& context, bool failureTimesOut = false)
        : context_(context), failureTimesOut_(failureTimesOut) {}
    ~CommandFrame();
    CommandFrame(const CommandFrame&) = delete;
    CommandFrame& operator=(const CommandFrame&) = delete;

    // The device is told selectCount times. A refused selection ends the command as failed
    // (false): the link would otherwise keep another chip's sizes.
    [[nodiscard]] bool Begin(const char* status, int selectCount = 1);

    // "OK" appended; the text clears after the front end's time-out.
    bool Succeed();
    // The board failed or the chip differed: "失败  " appended and the notice (when given)
    // shown. A failure after the user asked to stop is the stop's doing: it ends as Cancel.
    bool Fail(const char* notice = nullptr);
    // The user asked to stop: "Canceled" appended, and the text stays.
    bool Cancel();
    // The user declined to go on (the boot area): ends as Cancel does.
    bool Decline();
    // The erase failed: the status becomes its own text, which clears itself.
    bool FailErase();

private:
    struct Ending;
    bool End(const Ending& ending);

    CommandContext& context_;
    const bool failureTimesOut_;
    bool open_ = false;
};

// The shape both verify commands share: choose and load the file, the fit question for a
// memory of memorySize bytes, the frame with its status text, then loop over what fits.
using VerifyLoop = bool (*)(CLowIO& link, Panel& panel, const std::vector<uint8_t>& image,
                            uint32_t last);
[[nodiscard]] bool RunVerifyCommand(CommandContext& context, ImageMemory memory,
                                    uint32_t memorySize, const char* fitQuestion,
                                    const char* status, VerifyLoop loop);

}  // namespace zentaro
