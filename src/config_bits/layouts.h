// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/device_profile.h"
#include "config_bits/control_state.h"

namespace zentaro {

// A read value that leaves the combo's selection as it was.
inline constexpr int kKeepSelection = -1;

// Where a combo's entry lives in a configuration byte.
struct BitField {
    ConfigByte byte = ConfigByte::Low;
    std::vector<uint8_t> bits;        // byte bit of each field bit, least significant first
    std::vector<uint8_t> writeCodes;  // field value written for each entry
    std::vector<int> readEntries;     // entry shown for each field value, or kKeepSelection
};

struct BoxLayout {
    Control box = Control::Box1042;
    std::string label;
    ConfigByte byte = ConfigByte::Low;
    uint8_t bit = 0;
    bool labelFromClock = false;  // label and visibility follow the clock source
    bool shown = true;
    bool tickedWhenOne = false;  // read as ticked when the bit is 1 (still written ticked = 0)
};

enum class ClockKind {
    None,  // "Not selectable/Supported"
    List,  // fixed list, one field
    L13,   // thirteen sources plus the start-up combo
    L16B,  // sixteen entries whose texts follow the BOD combo
};

// Everything about one device's lock and fuse controls.
struct DeviceLayout {
    LayoutClass layoutClass = LayoutClass::K0;
    std::vector<std::string> lockModes;
    std::vector<std::string> lockDescriptions;  // one per lock mode
    std::vector<uint8_t> lockBytes;             // lock byte written for each lock mode
    std::optional<BitField> lockRead;           // none: a read leaves the lock mode alone
    bool bootLock = false;                      // BLB0 and BLB1 combos

    ClockKind clockKind = ClockKind::None;
    std::vector<std::string> clockEntries;  // List and L13
    std::optional<BitField> clockField;     // List and L16B
    bool clockFromZeroByte = false;         // read: entry 1 only when the whole byte is 0x00

    std::vector<std::string> bodEntries;
    std::optional<BitField> bodField;
    std::vector<std::string> bootBlockEntries;
    std::optional<BitField> bootBlockField;

    std::vector<BoxLayout> boxes;
    // Enabled and disabled together with the fuse group box.
    std::vector<Control> fuseControls;
};

DeviceLayout LayoutForDevice(const DeviceProfile& profile);

// Lists shared by several classes.
inline constexpr const char* kNoClockList = "Not selectable/Supported";
inline constexpr const char* kNoList = " Not selectable/Supported";
const std::vector<std::string>& Blb0Entries();
const std::vector<std::string>& Blb1Entries();
const std::vector<std::string>& Blb0Descriptions();
const std::vector<std::string>& Blb1Descriptions();
const BitField& Blb0Field();
const BitField& Blb1Field();

// The K11 clock list for the BOD selection (entry 1 is "BOD enabled").
std::vector<std::string> L16BEntries(bool bodEnabled);

// The start-up combo and box 1047 for an L13 clock entry.
struct StartupChoice {
    std::vector<std::string> entries;
    std::string box1047Label;  // empty: box hidden
};
StartupChoice StartupForClock(int clockEntry);

}  // namespace zentaro
