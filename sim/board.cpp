// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/board.h"

#include <cstdio>
#include <string_view>

namespace zentaro::sim {

namespace {

constexpr uint8_t kCR = 0x0D;
constexpr uint8_t kEsc = 0x1B;
constexpr uint8_t kRefused = '?';
constexpr std::string_view kUpgradeRequest = "[MZR-Tools-upgr]";
// Keys under which the two multi-byte sequences are logged and matched by faults.
constexpr uint8_t kSelectKey = 'T';
constexpr uint8_t kUpgradeKey = '[';

constexpr std::string_view kChipCommands = "eRcCmdDBgFNQrfnqlsh:.";
constexpr std::string_view kMemoryCommands = "RcCmdDBg";
constexpr std::string_view kTwoByteCommands = "ocCDfnqlyx";

std::string Hex(std::span<const uint8_t> bytes) {
    std::string text;
    char buffer[4];
    for (const uint8_t byte : bytes) {
        std::snprintf(buffer, sizeof buffer, "%s%02X", text.empty() ? "" : " ", byte);
        text += buffer;
    }
    return text.empty() ? "-" : text;
}

std::string ByteNote(const char* what, uint8_t value) {
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%s %02X", what, value);
    return buffer;
}

// How a command shows in the wire log.
std::string CommandName(uint8_t key, size_t hostLength) {
    if (key == kSelectKey && hostLength > 1) {
        return "select ";
    }
    if (key == kUpgradeKey && hostLength > 1) {
        return "upgrade";
    }
    char buffer[8];
    const bool printable = key >= 0x20 && key < 0x7F;
    std::snprintf(buffer, sizeof buffer, printable ? "'%c'    " : "0x%02X   ", key);
    return buffer;
}

std::vector<uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

}  // namespace

Board::Board(const BoardOptions& options, Chip chip) : options_(options), chip_(std::move(chip)) {
    ConfigBytes config = chip_.Config();
    config.lock = options.lock.value_or(config.lock);
    config.lowFuse = options.lowFuse.value_or(config.lowFuse);
    config.highFuse = options.highFuse.value_or(config.highFuse);
    config.extendedFuse = options.extendedFuse.value_or(config.extendedFuse);
    chip_.SetConfig(config);
    if (options.calibration) {
        chip_.SetCalibration(*options.calibration);
    }
    chip_.ClearChanged();
}

std::vector<Reply> Board::Feed(std::span<const uint8_t> bytes) {
    std::vector<Reply> replies;
    for (const uint8_t byte : bytes) {
        for (const Fault& fault : options_.faults) {
            if (fault.kind == Fault::Kind::kHangUp && counters_.bytesIn >= fault.afterBytes &&
                !hungUp_) {
                hungUp_ = true;
                if (log_) {
                    log_("hang-up fault: the board goes silent");
                }
            }
        }
        if (hungUp_) {
            continue;
        }
        ++counters_.bytesIn;
        if (options_.upgradeMode) {
            TakeUpgradeByte(byte, replies);
        } else {
            TakeByte(byte, replies);
        }
    }
    return replies;
}

std::string Board::FeedText(std::string_view bytes) {
    std::string joined;
    for (const Reply& reply : Feed(Bytes(bytes))) {
        joined.append(reply.bytes.begin(), reply.bytes.end());
    }
    return joined;
}

void Board::TakeUpgradeByte(uint8_t byte, std::vector<Reply>& replies) {
    if (byte == kEsc && upgradeArmed_) {
        upgradeArmed_ = false;
        std::vector<uint8_t> host = Bytes(kUpgradeRequest);
        host.push_back(kEsc);
        Finish(kUpgradeKey, host, {Bytes(options_.identifier), "upgrade-mode identify"}, replies);
        return;
    }
    if (byte == kEsc && upgradeMatched_ == 0) {
        return;  // wake-up
    }
    upgradeArmed_ = false;
    if (byte == static_cast<uint8_t>(kUpgradeRequest[upgradeMatched_])) {
        ++upgradeMatched_;
    } else {
        upgradeMatched_ = byte == static_cast<uint8_t>(kUpgradeRequest[0]) ? 1 : 0;
    }
    if (upgradeMatched_ == kUpgradeRequest.size()) {
        upgradeMatched_ = 0;
        upgradeArmed_ = true;
    }
}

void Board::TakeByte(uint8_t byte, std::vector<Reply>& replies) {
    if (pending_.empty()) {
        if (byte == kEsc) {
            ++escapes_;
            return;
        }
        const bool select = byte == kSelectKey && escapes_ >= 3;
        escapes_ = 0;
        if (byte == kSelectKey && !select) {
            Finish(byte, {byte}, {{kRefused}, "'T' without its ESC ESC ESC prefix"}, replies);
            return;
        }
    }
    pending_.push_back(byte);
    if (pending_.size() < CommandLength()) {
        return;
    }
    Outcome outcome = Execute();
    const uint8_t key = pending_[0];
    if (key == kSelectKey) {
        pending_.insert(pending_.begin(), 3, kEsc);
    }
    Finish(key, pending_, std::move(outcome), replies);
    // Cleared, not moved from: the buffer is kept for the next command.
    pending_.clear();
}

size_t Board::SelectBlockLength() const {
    if (!options_.deviceCodes.empty() || options_.level == 0) {
        return 5;
    }
    if (options_.level == 1) {
        return 22;
    }
    return options_.level < 5 ? 27 : 28;
}

size_t Board::CommandLength() const {
    const uint8_t letter = pending_[0];
    const bool blocks = options_.blockSize != 0;
    if (letter == kSelectKey) {
        return SelectBlockLength() - 3;  // the ESC prefix was taken already
    }
    if (kTwoByteCommands.find(static_cast<char>(letter)) != std::string_view::npos) {
        return 2;
    }
    switch (letter) {
        case 'A':
            return 3;
        case ':':
            return 4;
        case '.':
            return 5;
        case 'g':
            return blocks ? 4 : 1;
        case 'B':
            if (!blocks) {
                return 1;
            }
            return pending_.size() < 4 ? 4 : 4 + (size_t{pending_[1]} << 8 | pending_[2]);
        default:
            return 1;
    }
}

Board::Outcome Board::Execute() {
    const uint8_t letter = pending_[0];
    const bool blockCommand = letter == 'B' || letter == 'g';
    if (kChipCommands.find(static_cast<char>(letter)) != std::string_view::npos &&
        (!blockCommand || options_.blockSize != 0)) {
        if (!programming_) {
            return {{kRefused}, "refused: not in programming mode"};
        }
        return ExecuteChipCommand();
    }
    switch (letter) {
        case 'S':
            return {Bytes(options_.identifier), "identify"};
        case 'a':
            return {{static_cast<uint8_t>(options_.autoIncrement ? 'Y' : 'N')}, {}};
        case 'b':
            if (options_.blockSize == 0) {
                return {{'N'}, "no block transfers"};
            }
            return {{'Y', static_cast<uint8_t>(options_.blockSize >> 8),
                     static_cast<uint8_t>(options_.blockSize & 0xFF)},
                    {}};
        case 't': {
            std::vector<uint8_t> reply = options_.deviceCodes;
            reply.push_back(0x00);
            return {reply, {}};
        }
        case 'O': {
            std::vector<uint8_t> reply = Bytes(options_.modes);
            reply.push_back(0x00);
            return {reply, {}};
        }
        case 'K':
            return {{options_.level}, {}};
        case 'o':
            if (options_.modes.find(static_cast<char>(pending_[1])) == std::string::npos ||
                pending_[1] == kRefused) {
                return {{kRefused}, "mode not offered"};
            }
            mode_ = pending_[1];
            return {{kCR}, {}};
        case 'P':
            programming_ = true;
            return {{kCR}, "programming mode on"};
        case 'L':
        case 'E':
            programming_ = false;
            return {{kCR}, "programming mode off"};
        case 'V':
            return {Bytes(options_.version), {}};
        case 'p':
            return {{options_.programmerType}, {}};
        case 'A':
            address_ = static_cast<uint16_t>(pending_[1] << 8 | pending_[2]);
            return {{kCR}, {}};
        case 'y':
        case 'x':
            return Lamp(letter == 'x');
        case kSelectKey:
            return SelectDevice();
        default:
            return {{kRefused}, "unknown command"};
    }
}

Board::Outcome Board::SelectDevice() {
    // pending_ holds 'T' and the rest of the block, so block byte n is pending_[n - 3].
    const auto at = [this](size_t blockByte) { return pending_[blockByte - 3]; };
    const auto number = [&at](size_t first, size_t bytes) {
        uint32_t value = 0;
        for (size_t i = 0; i < bytes; ++i) {
            value = value << 8 | at(first + i);
        }
        return value;
    };
    const size_t length = SelectBlockLength();
    const bool versioned = length > 22;
    // The device code, and the fields behind it in the same order in both long forms.
    const size_t code = versioned ? 6 : 4;
    SelectBlock block;
    block.deviceCode = at(code);
    if (length > 5) {
        block.version = versioned ? at(5) : 0;
        block.programmerFlags = {at(code + 1), at(code + 2), at(code + 3)};
        block.flashPageSize = static_cast<uint16_t>(number(code + 4, 2));
        block.programmerParams = number(code + 6, 4);
        block.pageWords = at(code + 10);
        block.targetParam = at(code + 11);
        block.flashSize = number(code + 12, 4);
        block.eepromSize = static_cast<uint16_t>(number(code + 16, 2));
    }
    if (versioned) {
        block.eepromPageSize = static_cast<uint16_t>(number(24, 2));
        block.extension = length > 27 ? at(27) : 0;
    }
    selected_ = block;
    std::string note = ByteNote("select device", block.deviceCode);
    if (versioned) {
        note += ByteNote(", version", block.version);
    }
    if (block.deviceCode != chip_.Device().deviceCode) {
        note += ByteNote(", not the fitted chip", static_cast<uint8_t>(chip_.Device().deviceCode));
    }
    return {{kCR}, note};
}

Board::Outcome Board::Lamp(bool on) {
    const uint8_t lamp = pending_[1];
    if (lamp >= kLampCount) {
        return {{kRefused}, "no such lamp"};
    }
    lamps_[lamp] = on;
    static constexpr const char* kNames[kLampCount] = {"failed", "done", "busy"};
    std::string note = "lamps:";
    for (size_t i = 0; i < kLampCount; ++i) {
        note += std::string(" ") + kNames[i] + (lamps_[i] ? " on" : " off");
    }
    return {{kCR}, note};
}

Board::Outcome Board::ExecuteChipCommand() {
    const uint8_t letter = pending_[0];
    if (letter == 'e') {
        chip_.ChipErase();
        return {{kCR}, "chip erased"};
    }
    if (kMemoryCommands.find(static_cast<char>(letter)) != std::string_view::npos) {
        return ExecuteMemoryCommand();
    }
    return ExecuteConfigCommand();
}

void Board::Advance(unsigned steps) {
    if (options_.autoIncrement) {
        address_ = static_cast<uint16_t>(address_ + steps);
    }
}

Board::Outcome Board::ExecuteMemoryCommand() {
    const bool wordWide = chip_.WordWide();
    const uint16_t address = address_;
    switch (pending_[0]) {
        case 'R': {
            const uint16_t word = chip_.ReadProgram(address);
            Advance(1);
            if (wordWide) {
                return {{static_cast<uint8_t>(word >> 8), static_cast<uint8_t>(word & 0xFF)}, {}};
            }
            return {{static_cast<uint8_t>(word)}, {}};
        }
        case 'c':
            chip_.WriteProgramByte(address, false, pending_[1]);
            Advance(wordWide ? 0 : 1);
            return {{kCR}, {}};
        case 'C':
            if (!wordWide) {
                return {{kRefused}, "no high byte on a byte-wide chip"};
            }
            chip_.WriteProgramByte(address, true, pending_[1]);
            Advance(1);
            return {{kCR}, {}};
        case 'm':
            chip_.CommitPage(address);
            return {{kCR}, chip_.Paged() ? "page committed" : "no pages on this chip"};
        case 'd': {
            const uint8_t value = chip_.ReadEeprom(address);
            Advance(1);
            return {{value}, {}};
        }
        case 'D':
            chip_.WriteEeprom(address, pending_[1]);
            Advance(1);
            return {{kCR}, {}};
        case 'B':
            return BlockWrite();
        default:
            return BlockRead();
    }
}

Board::Outcome Board::BlockWrite() {
    const uint8_t type = pending_[3];
    const std::span<const uint8_t> data(pending_.begin() + 4, pending_.end());
    const uint32_t count = static_cast<uint32_t>(data.size());
    if (type == 'F') {
        const bool wordWide = chip_.WordWide();
        const uint32_t start = wordWide ? uint32_t{address_} * 2 : address_;
        for (uint32_t i = 0; i < count; ++i) {
            chip_.ProgramFlashByte(start + i, data[i]);
        }
        address_ = static_cast<uint16_t>(address_ + (wordWide ? count / 2 : count));
        return {{kCR}, {}};
    }
    if (type == 'E') {
        for (uint32_t i = 0; i < count; ++i) {
            chip_.WriteEeprom(address_ + i, data[i]);
        }
        address_ = static_cast<uint16_t>(address_ + count);
        return {{kCR}, {}};
    }
    return {{kRefused}, "unknown memory type"};
}

Board::Outcome Board::BlockRead() {
    const uint8_t type = pending_[3];
    const uint32_t count = uint32_t{pending_[1]} << 8 | pending_[2];
    if (type == 'F') {
        const bool wordWide = chip_.WordWide();
        const uint32_t start = wordWide ? uint32_t{address_} * 2 : address_;
        address_ = static_cast<uint16_t>(address_ + (wordWide ? count / 2 : count));
        return {chip_.ReadFlashBytes(start, count), {}};
    }
    if (type == 'E') {
        const uint32_t start = address_;
        address_ = static_cast<uint16_t>(address_ + count);
        return {chip_.ReadEepromBytes(start, count), {}};
    }
    return {{kRefused}, "unknown memory type"};
}

Board::Outcome Board::ExecuteConfigCommand() {
    const ConfigBytes& config = chip_.Config();
    const uint8_t value = pending_.size() > 1 ? pending_[1] : 0;
    switch (pending_[0]) {
        case 'F':
            return {{config.lowFuse}, {}};
        case 'N':
            return {{config.highFuse}, {}};
        case 'Q':
            return {{config.extendedFuse}, {}};
        case 'r':
            return {{config.lock}, {}};
        case 'f':
            chip_.SetLowFuse(value);
            return {{kCR}, ByteNote("low fuse", value)};
        case 'n':
            chip_.SetHighFuse(value);
            return {{kCR}, ByteNote("high fuse", value)};
        case 'q':
            chip_.SetExtendedFuse(value);
            return {{kCR}, ByteNote("extended fuse", value)};
        case 'l':
            chip_.WriteLock(value);
            return {{kCR}, ByteNote("lock now", chip_.Config().lock)};
        case 's': {
            const auto& signature = chip_.Signature();
            return {{signature[2], signature[1], signature[0]}, {}};
        }
        case 'h':
            return {{chip_.Calibration(), kCR}, {}};
        case ':':
            // The board supplies the instruction's fourth byte itself.
            return PassThrough(pending_[1], pending_[2], pending_[3], 0x00, true);
        default:
            return PassThrough(pending_[1], pending_[2], pending_[3], pending_[4], false);
    }
}

// Decodes a serial-programming instruction for the target. Reads answer the byte read;
// writes answer the instruction's fourth byte, as the target echoes it.
Board::Outcome Board::PassThrough(uint8_t i1, uint8_t i2, uint8_t, uint8_t i4, bool oldFuseForm) {
    const ConfigBytes& config = chip_.Config();
    if (i1 == 0x58 && i2 == 0x00) {
        return {{config.lock, kCR}, "read lock"};
    }
    if (i1 == 0x58 && i2 == 0x08) {
        return {{config.highFuse, kCR}, "read high fuse"};
    }
    if (i1 == 0x50 && i2 == 0x00) {
        return {{config.lowFuse, kCR}, "read low fuse"};
    }
    if (i1 == 0x50 && i2 == 0x08) {
        return {{config.extendedFuse, kCR}, "read extended fuse"};
    }
    if (i1 == 0x38) {
        return {{chip_.Calibration(), kCR}, "read calibration"};
    }
    if (i1 == 0xAC && oldFuseForm && (i2 & 0xE0) == 0xA0) {
        // The older chips carry their five fuse bits in the instruction's second byte; they
        // land in bits 4-0 of the low fuse byte.
        chip_.SetLowFuse(static_cast<uint8_t>((config.lowFuse & 0xE0) | (i2 & 0x1F)));
        return {{i4, kCR}, ByteNote("low fuse bits, low fuse now", chip_.Config().lowFuse)};
    }
    if (i1 == 0xAC) {
        switch (i2) {
            case 0xA0:
                chip_.SetLowFuse(i4);
                return {{i4, kCR}, ByteNote("write low fuse", i4)};
            case 0xA8:
                chip_.SetHighFuse(i4);
                return {{i4, kCR}, ByteNote("write high fuse", i4)};
            case 0xA4:
                chip_.SetExtendedFuse(i4);
                return {{i4, kCR}, ByteNote("write extended fuse", i4)};
            case 0xE0:
                chip_.WriteLock(i4);
                return {{i4, kCR}, ByteNote("write lock, lock now", chip_.Config().lock)};
            default:
                break;
        }
    }
    return {{0x00, kCR}, "instruction not understood by the target"};
}

void Board::Finish(uint8_t key, const std::vector<uint8_t>& hostBytes, Outcome outcome,
                   std::vector<Reply>& replies) {
    const unsigned occurrence = ++seen_[key];
    Reply reply{std::move(outcome.reply), {}};
    std::string& note = outcome.note;
    for (const Fault& fault : options_.faults) {
        if (fault.kind == Fault::Kind::kHangUp || fault.command != key ||
            (fault.occurrence != 0 && fault.occurrence != occurrence)) {
            continue;
        }
        if (fault.kind == Fault::Kind::kDrop) {
            reply.bytes.clear();
            note += " [fault: no reply]";
        } else if (fault.kind == Fault::Kind::kWrong && !reply.bytes.empty()) {
            reply.bytes[0] = fault.wrongByte;
            note += ByteNote(" [fault: first byte replaced by", fault.wrongByte) + "]";
        } else if (fault.kind == Fault::Kind::kLate) {
            reply.delay = fault.delay;
            note += " [fault: " + std::to_string(fault.delay.count()) + " ms late]";
        }
    }
    if (log_) {
        log_(CommandName(key, hostBytes.size()) + "  host: " + Hex(hostBytes) +
             "  board: " + Hex(reply.bytes) + (note.empty() ? "" : "  (" + note + ")"));
    }
    if (reply.bytes.empty()) {
        return;
    }
    counters_.bytesOut += reply.bytes.size();
    ++counters_.exchanges;
    replies.push_back(std::move(reply));
}

}  // namespace zentaro::sim
