// SPDX-License-Identifier: GPL-3.0-or-later
// zentaro-chip-table: prints docs/chips.md, the table of supported chips, from the device
// table, so that the page cannot drift from what the programs offer.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/device_profile.h"

namespace {

using zentaro::DeviceProfile;

// Levels a level-type board would have to report to offer these rows; in practice only
// list-type boards, which report the chips by code, offer them.
constexpr uint8_t kListTypeOnly = 0xFE;

std::string Bytes(uint32_t size) {
    if (size == 0) {
        return "none";
    }
    return size % 1024 == 0 ? std::to_string(size / 1024) + " KiB" : std::to_string(size) + " B";
}

std::string PageBytes(uint32_t size) {
    return size == 0 ? "—" : std::to_string(size) + " B";
}

std::string ProgrammerTypes(uint8_t mask) {
    std::vector<std::string> types;
    if (mask & 0x01) {
        types.emplace_back("parallel");
    }
    if (mask & 0x02) {
        types.emplace_back("serial");
    }
    std::string text;
    for (const std::string& type : types) {
        text += (text.empty() ? "" : ", ") + type;
    }
    return text.empty() ? "none" : text;
}

std::string Level(uint8_t level) {
    return level >= kListTypeOnly ? "list-type only" : std::to_string(level) + " and up";
}

std::string BytesRead(zentaro::ConfigBytesRead read) {
    using enum zentaro::ConfigBytesRead;
    switch (read) {
        case CombinedByte:
            return "one combined byte";
        case LockLow:
            return "lock, low";
        case LockLowHigh:
            return "lock, low, high";
        case LockLowHighExtended:
            return "lock, low, high, extended";
    }
    return "?";
}

std::string LockModes(zentaro::LockEncoding encoding) {
    using enum zentaro::LockEncoding;
    switch (encoding) {
        case NeverLocks:
            return "none";
        case FourModes:
            return "4";
        case Bits7And6:
        case Bits2And1:
        case Bits1And0:
            return "3";
    }
    return "?";
}

// The family's name in words, so that a reader can tell the families apart without a key.
std::string LayoutName(zentaro::LayoutClass layout) {
    using enum zentaro::LayoutClass;
    switch (layout) {
        case NoFuses:
            return "no fuses";
        case ClockFromZeroByte:
            return "clock from a zero byte";
        case SpiAndClockBit:
            return "serial enable and clock bit";
        case EightClocksAndBod:
            return "eight clocks, brown-out";
        case StartupAndEepromSave:
            return "start-up, EEPROM save";
        case FiveSourcesFastStart:
            return "five sources, fast start";
        case SixteenClocksResetAndBod:
            return "sixteen clocks, reset, brown-out";
        case StartupResetAndBod:
            return "start-up, reset, brown-out";
        case SixteenClocksIntcap:
            return "sixteen clocks, internal capacitors";
        case ThirteenSourcesPll:
            return "thirteen sources, PLL";
        case BigMemClockdiv:
            return "large memory, clock divider";
        case ClockListFollowsBod:
            return "clock list after brown-out";
        case SixteenClocksBootBlock:
            return "sixteen clocks, boot block";
        case SixteenClocksBootBlockJtag:
            return "sixteen clocks, boot block, debug port";
        case ThirteenSourcesRcomp:
            return "thirteen sources, oscillator compensation";
        case ThirteenSourcesJtag:
            return "thirteen sources, debug port";
        case ThirteenSourcesResetDisable:
            return "thirteen sources, reset disable";
        case ThirteenSourcesExtendedByte:
            return "thirteen sources, extended byte";
    }
    return "?";
}

std::string BootSection(const DeviceProfile& profile) {
    const zentaro::BootRule& boot = profile.boot;
    switch (boot.kind) {
        case zentaro::BootSizeKind::Fixed:
            return std::to_string(boot.words) + " words";
        case zentaro::BootSizeKind::HalvedByFuse:
            // Each step of the high fuse's two-bit field halves the largest size.
            return std::to_string(boot.words / 8) + " to " + std::to_string(boot.words) +
                   " words, set by the high fuse";
        case zentaro::BootSizeKind::NoBootSection:
            break;
    }
    const std::string variant = std::string(profile.record.name) + " BOOT";
    const auto profiles = zentaro::DeviceProfiles();
    const bool hasVariant = std::any_of(profiles.begin(), profiles.end(), [&](const auto& other) {
        return variant == other.record.name;
    });
    return hasVariant ? "in " + variant : "—";
}

// "Mirval 2" before "Mirval 10": the text before the first digit, then the number.
bool NaturalLess(std::string_view a, std::string_view b) {
    const size_t digitA = std::min(a.find_first_of("0123456789"), a.size());
    const size_t digitB = std::min(b.find_first_of("0123456789"), b.size());
    if (a.substr(0, digitA) != b.substr(0, digitB)) {
        return a.substr(0, digitA) < b.substr(0, digitB);
    }
    const auto number = [](std::string_view text, size_t from) {
        size_t end = from;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ++end;
        }
        return std::pair(end - from, text.substr(from, end - from));
    };
    const auto [lengthA, digitsA] = number(a, digitA);
    const auto [lengthB, digitsB] = number(b, digitB);
    if (lengthA != lengthB) {
        return lengthA < lengthB;
    }
    if (digitsA != digitsB) {
        return digitsA < digitsB;
    }
    return a.substr(digitA + lengthA) < b.substr(digitB + lengthB);
}

}  // namespace

// With a file name, writes the page there instead of to standard output.
int main(int argc, char** argv) {
    if (argc > 1 && std::freopen(argv[1], "w", stdout) == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::vector<const DeviceProfile*> rows;
    for (const DeviceProfile& profile : zentaro::DeviceProfiles()) {
        rows.push_back(&profile);
    }
    std::sort(rows.begin(), rows.end(), [](const DeviceProfile* a, const DeviceProfile* b) {
        return NaturalLess(a->record.name, b->record.name);
    });

    std::printf(
        "<!-- Made by zentaro-chip-table from the device table (src/catalogue); do not edit.\n"
        "     Make it again with: cmake --build build/debug --target update_chips_md -->\n"
        "# Supported chips\n"
        "\n"
        "Every chip Zentaro knows, %zu rows. A board offers only some of them: a level-type\n"
        "board those its level and programmer type allow, a list-type board those it reports.\n"
        "`zentaro-cli devices` lists what yours offers.\n"
        "\n"
        "| Chip | Flash | EEPROM | Flash page | EEPROM page | Boot section | Programmer types "
        "| Board level | Lock and fuse bytes | Lock modes | Fuse layout |\n"
        "|---|---|---|---|---|---|---|---|---|---|---|\n",
        rows.size());
    for (const DeviceProfile* row : rows) {
        const zentaro::DeviceRecord& r = row->record;
        std::printf("| %s | %s | %s | %s | %s | %s | %s | %s | %s | %s | %s |\n", r.name,
                    Bytes(r.flashSize).c_str(), Bytes(r.eepromSize).c_str(),
                    PageBytes(r.flashPageSize).c_str(), PageBytes(r.eepromPageSize).c_str(),
                    BootSection(*row).c_str(), ProgrammerTypes(r.programmerTypeMask).c_str(),
                    Level(r.minProgrammerLevel).c_str(), BytesRead(row->bytesRead).c_str(),
                    LockModes(row->lockEncoding).c_str(), LayoutName(row->layoutClass).c_str());
    }
    std::printf(
        "\n"
        "- **Flash page, EEPROM page:** the bytes written at once; — means one byte or word at\n"
        "  a time.\n"
        "- **Boot section:** the boot loader section at the top of flash that a BOOT variant\n"
        "  keeps apart (see \"What the board kinds mean\" in the README).\n"
        "- **Programmer types:** the ways of programming through which a level-type board\n"
        "  offers the chip.\n"
        "- **Board level:** the lowest level at which a level-type board offers the chip.\n"
        "  \"list-type only\" rows would need level %u or more; list-type boards offer a chip\n"
        "  when they report it.\n"
        "- **Lock and fuse bytes:** the bytes a read of the lock and fuse bits fetches.\n"
        "- **Lock modes:** the protection modes the lock list offers; \"none\" means every\n"
        "  mode leaves the chip unlocked.\n"
        "- **Fuse layout:** chips with the same layout show the same lock and fuse settings.\n",
        static_cast<unsigned>(kListTypeOnly));
    return std::fflush(stdout) == 0 ? 0 : 1;
}
