// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zentaro {

// The lock and fuse controls of the advanced options window.
enum class Control {
    Lock,
    Blb0,
    Blb1,
    Clock,
    Startup,
    Bod,
    BootBlock,
    // The check boxes are named after what they show on most devices; a few layouts lend a box
    // to another bit of theirs, under that bit's own label.
    SpiEnableBox,
    BootResetBox,
    EepromSaveBox,
    QcompBox,
    OnChipDebugBox,
    JtagEnableBox,
    ClockOptionBox,  // its label and visibility follow the clock source
    WatchdogAlwaysOnBox,
};

// The check boxes, left column top to bottom, then right column top to bottom.
inline constexpr std::array<Control, 8> kBoxes = {
    Control::SpiEnableBox,   Control::BootResetBox,        Control::EepromSaveBox,
    Control::QcompBox,       Control::OnChipDebugBox,      Control::JtagEnableBox,
    Control::ClockOptionBox, Control::WatchdogAlwaysOnBox,
};

struct ComboState {
    std::vector<std::string> entries;
    int selected = -1;  // -1: nothing selected
    bool visible = true;
    bool enabled = true;

    bool operator==(const ComboState&) const = default;
};

struct BoxState {
    std::string label;  // as the widget takes it: '&' marks the mnemonic letter, "&&" is '&'
    bool visible = false;
    bool enabled = false;
    bool ticked = false;

    bool operator==(const BoxState&) const = default;
};

// The words of a box's label, as the window shows them.
std::string PlainName(const std::string& label);

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

    // The combo or check box; nullptr when the control is of the other kind.
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
