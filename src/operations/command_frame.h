#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "images/hex_reader.h"
#include "operations/memory_commands.h"

namespace zentaro {

// The steps every memory command of the main window shares.

inline constexpr char kNotIntelHexText[] = "您指定的文件不是一个有效的 Intel HEX 格式文件!  ";
inline constexpr char kCannotOpenInputText[] = "不能打开输入文件         ";
// Appended when a program command goes on to verify.
inline constexpr char kVerifyingText[] = "检验...     ";

// The file chosen in the window, or the one Browse now picks. Empty when there is none, or
// (after telling the user) when no device is selected: there is no memory image then.
std::string ChooseFile(CommandContext& context);

enum class HexLoad { Loaded, CannotOpen, Stopped };
// Tests and loads the Intel HEX file into the memory image (filled with 0xFF first) and asks
// the checksum question unless checksums are ignored. CannotOpen leaves the message to the
// caller; Stopped means the user has been told or has declined.
HexLoad LoadHexFile(CommandContext& context, const std::string& path, HexLoadState& state);
// LoadHexFile, showing cannotOpen when the file cannot be opened; true when loaded.
bool LoadHexFileOrTell(CommandContext& context, const std::string& path, HexLoadState& state,
                       const char* cannotOpen);

// Asks question when the loaded data reach beyond a memory of size bytes; false on No.
bool ConfirmFit(CommandContext& context, const HexLoadState& state, uint32_t size,
                const char* question);
// The inclusive last address to transfer within a memory of size bytes; nullopt when the
// file carried no data byte (or nothing fits).
std::optional<uint32_t> LastAddress(const HexLoadState& state, uint32_t size);
// LastAddress within a memory of memorySize bytes that lies in the memory image.
std::optional<uint32_t> LastImageAddress(const CommandContext& context, const HexLoadState& state,
                                         uint32_t memorySize);

// Busy lamp, controls off, the command's status text, then the device selected
// (selectCount times). A refused selection ends the command as failed (false): the link
// would otherwise keep another chip's sizes.
bool EnterBusy(CommandContext& context, const char* status, int selectCount = 1);
// EnterBusy, then one drain of the queue before the device loop.
bool BeginCommand(CommandContext& context, const char* status, int selectCount = 1);

// The shape both verify commands share: choose and load the file, the fit question for a
// memory of memorySize bytes, the frame with its status text, then loop over what fits.
using VerifyLoop = bool (*)(CLowIO& link, const std::vector<uint8_t>& image, uint32_t last);
bool RunVerifyCommand(CommandContext& context, uint32_t memorySize, const char* fitQuestion,
                      const char* status, VerifyLoop loop);

// Done lamp, controls on, "OK" appended, status time-out; programming mode left.
bool EndOk(CommandContext& context);
// Failed lamp, "失败  " appended, the notice (when given), programming mode left, controls
// on. The failure text stays until the next status.
bool EndFailed(CommandContext& context, const char* notice = nullptr);

}  // namespace zentaro
