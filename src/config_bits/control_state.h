// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zentaro {

// Control ids of the advanced options window.
enum class Control : int {
    LockGroup = 1024,
    Lock = 1007,
    Blb0 = 1049,
    Blb1 = 1050,
    LockDescription = 1009,
    FuseGroup = 1010,
    Clock = 1040,
    Startup = 1085,
    Bod = 1041,
    BootBlock = 1048,
    Box1042 = 1042,
    Box1043 = 1043,
    Box1044 = 1044,
    Box1088 = 1088,
    Box1045 = 1045,
    Box1046 = 1046,
    Box1047 = 1047,
    Box1089 = 1089,
};

// The check boxes, left column top to bottom, then right column top to bottom.
inline constexpr std::array<Control, 8> kBoxes = {
    Control::Box1042, Control::Box1043, Control::Box1044, Control::Box1088,
    Control::Box1045, Control::Box1046, Control::Box1047, Control::Box1089,
};

struct ComboState {
    std::vector<std::string> entries;
    int selected = -1;  // -1: nothing selected
    bool visible = true;
    bool enabled = true;

    bool operator==(const ComboState&) const = default;
};

struct BoxState {
    std::string label;
    bool visible = false;
    bool enabled = false;
    bool ticked = false;

    bool operator==(const BoxState&) const = default;
};

// Everything the lock and fuse controls show, as plain values: the rules that fill,
// select, show and enable them are tested on this without any widget.
struct ControlState {
    ComboState lock;
    ComboState blb0{{}, -1, false, false};
    ComboState blb1{{}, -1, false, false};
    ComboState clock{{}, -1, true, false};
    ComboState startup{{}, -1, false, false};
    ComboState bod{{}, -1, true, false};
    ComboState bootBlock{{}, -1, true, false};
    std::array<BoxState, kBoxes.size()> boxes{};
    std::string lockDescription;
    bool lockGroupEnabled = true;
    bool lockDescriptionEnabled = true;
    bool fuseGroupEnabled = true;

    // The combo or check box with this id; nullptr when the id names another kind of control.
    ComboState* FindCombo(Control id);
    const ComboState* FindCombo(Control id) const;
    BoxState* FindBox(Control id);
    const BoxState* FindBox(Control id) const;

    bool operator==(const ControlState&) const = default;
};

// The four configuration bytes. A 0 bit is programmed; composition starts from 0xFF.
enum class ConfigByte : uint8_t { Lock, Low, High, Extended };

struct ConfigBytes {
    uint8_t lock = 0xFF;
    uint8_t low = 0xFF;
    uint8_t high = 0xFF;
    uint8_t extended = 0xFF;

    uint8_t& operator[](ConfigByte which);
    uint8_t operator[](ConfigByte which) const;
    bool operator==(const ConfigBytes&) const = default;
};

}  // namespace zentaro
