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

// How a setting takes the chip out of reach of this programmer.
enum class Lockout {
    SerialProgrammingOff,  // serial programming turned off, on a serial programmer
    ResetDisabled,         // the reset pin becomes an I/O pin
};

// One configuration bit and the check box that shows it.
struct BoxLayout {
    Control box = Control::SpiEnableBox;
    std::string label{};
    ConfigByte byte = ConfigByte::Low;
    uint8_t bit = 0;
    bool labelFromClock = false;  // label and visibility follow the clock source
    bool shown = true;
    bool tickedWhenOne = false;  // read as ticked when the bit is 1 (still written ticked = 0)
    // Set on the boxes one of whose values takes the chip out of reach; the box's id does not
    // tell, as a box lent to another bit keeps its id.
    std::optional<Lockout> lockout{};
};

enum class ClockKind {
    None,             // "Not selectable/Supported"
    List,             // fixed list, one field
    ThirteenSources,  // thirteen sources, each with its own start-up list
    FollowsBod,       // sixteen entries whose texts follow the BOD selection
};

struct ClockLayout {
    ClockKind kind = ClockKind::None;
    std::vector<std::string> entries{};  // List and ThirteenSources
    std::optional<BitField> field{};     // List and FollowsBod
    bool namedByDevice = false;          // List: the device's ClockListVariant gives the entries
    bool readFromZeroByte = false;       // List: entry 1 only when the whole low byte is 0x00
};

// A combo with a fixed list, such as the BOD level or the boot block size.
struct ListLayout {
    std::vector<std::string> entries{};
    BitField field;
};

// The fuse controls of one layout class; a class without a list leaves it out.
struct FuseLayout {
    bool bootLock = false;  // BLB0 and BLB1 combos
    std::vector<BoxLayout> boxes{};
    ClockLayout clock{};
    std::optional<ListLayout> bod{};
    std::optional<ListLayout> bootBlock{};
};

// Everything about one device's lock and fuse controls.
struct DeviceLayout : FuseLayout {
    LayoutClass layoutClass = LayoutClass::NoFuses;
    std::vector<std::string> lockModes{};
    std::vector<std::string> lockDescriptions{};  // one per lock mode
    std::vector<uint8_t> lockBytes{};             // lock byte written for each lock mode
    std::optional<BitField> lockRead{};           // none: a read leaves the lock mode alone
};

DeviceLayout LayoutForDevice(const DeviceProfile& profile);

// The controls enabled and disabled together with the fuse group box.
std::vector<Control> FuseControls(const FuseLayout& layout);

}  // namespace zentaro
