// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/codec.h"

#include <algorithm>
#include <array>
#include <utility>

#include "config_bits/clock_lists.h"
#include "config_bits/lock_layouts.h"

namespace zentaro {

namespace {

constexpr const char* kNoClockList = "Not selectable/Supported";
constexpr const char* kNoList = " Not selectable/Supported";

void Fill(ComboState& combo, std::vector<std::string> entries) {
    combo.entries = std::move(entries);
    combo.selected = combo.entries.empty() ? -1 : 0;
}

// A combo the class has no list for: one placeholder entry, hidden and disabled.
void FillPlaceholder(ComboState& combo, const char* text) {
    Fill(combo, {text});
    combo.visible = false;
    combo.enabled = false;
}

unsigned Extract(const BitField& field, const ConfigBytes& bytes) {
    unsigned value = 0;
    for (size_t k = 0; k < field.bits.size(); ++k) {
        value |= static_cast<unsigned>((bytes[field.byte] >> field.bits[k]) & 1) << k;
    }
    return value;
}

void Select(ComboState& combo, const BitField& field, const ConfigBytes& bytes) {
    const int entry = field.readEntries[Extract(field, bytes)];
    if (entry != kKeepSelection) {
        combo.selected = entry;
    }
}

void ClearBit(ConfigBytes& bytes, ConfigByte which, unsigned bit) {
    bytes[which] = static_cast<uint8_t>(bytes[which] & ~(1u << bit));
}

// Clears the bits where the entry's code has a 0; nothing for a combo without a selection.
void WriteField(ConfigBytes& bytes, const BitField& field, int entry) {
    if (entry < 0 || static_cast<size_t>(entry) >= field.writeCodes.size()) {
        return;
    }
    const uint8_t code = field.writeCodes[static_cast<size_t>(entry)];
    for (size_t k = 0; k < field.bits.size(); ++k) {
        if (((code >> k) & 1) == 0) {
            ClearBit(bytes, field.byte, field.bits[k]);
        }
    }
}

void FillList(ComboState& combo, const std::optional<ListLayout>& list) {
    if (list) {
        Fill(combo, list->entries);
    } else {
        FillPlaceholder(combo, kNoList);
    }
}

void SelectList(ComboState& combo, const std::optional<ListLayout>& list,
                const ConfigBytes& bytes) {
    if (list) {
        Select(combo, list->field, bytes);
    }
}

void WriteList(ConfigBytes& bytes, const std::optional<ListLayout>& list, int entry) {
    if (list) {
        WriteField(bytes, list->field, entry);
    }
}

// The BLB0 and BLB1 combos beside their layouts.
template <typename State>
auto BootLocks(State& state) {
    return std::array{std::pair{&state.blb0, &BootLock0()}, std::pair{&state.blb1, &BootLock1()}};
}

void FillClock(ControlState& state, const ClockLayout& clock) {
    if (clock.kind == ClockKind::None) {
        FillPlaceholder(state.clock, kNoClockList);
        return;
    }
    Fill(state.clock, clock.entries);
    if (clock.kind == ClockKind::ThirteenSources) {
        state.startup.visible = true;
        state.startup.enabled = true;
    }
}

// Boxes whose label follows the clock source are left to ClockChanged.
void ShowBoxes(ControlState& state, const std::vector<BoxLayout>& boxes) {
    for (const BoxLayout& box : boxes) {
        BoxState& shown = *state.FindBox(box.box);
        if (box.shown && !box.labelFromClock) {
            shown.label = box.label;
            shown.visible = true;
        }
    }
}

void TickBoxes(ControlState& state, const std::vector<BoxLayout>& boxes, const ConfigBytes& bytes) {
    for (const BoxLayout& box : boxes) {
        const bool one = ((bytes[box.byte] >> box.bit) & 1) != 0;
        state.FindBox(box.box)->ticked = box.tickedWhenOne ? one : !one;
    }
}

// Bits 3-0 name the source; the last three sources take two values each, whose bit 0 is the
// start-up's upper bit. Bits 5-4 are the start-up's lower bits.
void SelectThirteenSources(ControlState& state, const DeviceLayout& layout, uint8_t low) {
    const int nibble = low & 0x0F;
    const int field = (low >> 4) & 0x03;
    state.clock.selected = nibble < 10 ? nibble : 10 + (nibble - 10) / 2;
    ClockChanged(state, layout);
    state.startup.selected = nibble < 10 ? field : ((low & 0x01) << 2) | field;
}

void SelectClock(ControlState& state, const DeviceLayout& layout, const ConfigBytes& bytes) {
    switch (layout.clock.kind) {
        case ClockKind::None:
            break;
        case ClockKind::List:
            if (layout.clock.readFromZeroByte) {
                state.clock.selected = bytes.low == 0x00 ? 1 : 0;
            } else {
                Select(state.clock, *layout.clock.field, bytes);
            }
            break;
        case ClockKind::FollowsBod:
            BodChanged(state, layout);
            Select(state.clock, *layout.clock.field, bytes);
            break;
        case ClockKind::ThirteenSources:
            SelectThirteenSources(state, layout, bytes.low);
            break;
    }
}

// A mode read also enables the fuse controls (mode 1) or disables them (other modes).
void SelectLockMode(ControlState& state, const DeviceLayout& layout, const ConfigBytes& bytes,
                    bool fusesDenied) {
    if (!layout.lockRead) {
        return;
    }
    const int mode = layout.lockRead->readEntries[Extract(*layout.lockRead, bytes)];
    if (mode == kKeepSelection) {
        return;
    }
    state.lock.selected = mode;
    if (!fusesDenied) {
        SetFuseControlsEnabled(state, layout, mode == 0);
    }
}

// Low fuse bits 5-0 for a thirteen-source clock entry and its start-up index.
void WriteThirteenSources(ConfigBytes& bytes, int clock, int startup) {
    if (clock < 0) {
        return;
    }
    startup = std::max(startup, 0);
    unsigned value = static_cast<unsigned>(startup & 0x03) << 4;
    if (clock <= 9) {
        value |= static_cast<unsigned>(clock);
    } else {
        value |= static_cast<unsigned>(clock - 5) << 1 | static_cast<unsigned>((startup >> 2) & 1);
    }
    for (unsigned bit = 0; bit < 6; ++bit) {
        if (((value >> bit) & 1) == 0) {
            ClearBit(bytes, ConfigByte::Low, bit);
        }
    }
}

void WriteClock(ConfigBytes& bytes, const ControlState& state, const ClockLayout& clock) {
    if (clock.kind == ClockKind::ThirteenSources) {
        WriteThirteenSources(bytes, state.clock.selected, state.startup.selected);
    } else if (clock.field) {
        WriteField(bytes, *clock.field, state.clock.selected);
    }
}

void WriteBoxes(ConfigBytes& bytes, const ControlState& state,
                const std::vector<BoxLayout>& boxes) {
    for (const BoxLayout& box : boxes) {
        if (state.FindBox(box.box)->ticked) {
            ClearBit(bytes, box.byte, box.bit);
        }
    }
}

void WriteLockMode(ConfigBytes& bytes, int mode, const std::vector<uint8_t>& lockBytes) {
    if (mode >= 0 && static_cast<size_t>(mode) < lockBytes.size()) {
        bytes.lock = lockBytes[static_cast<size_t>(mode)];
    }
}

void ShowFromList(ControlState& state, const ComboState& combo,
                  const std::vector<std::string>& descriptions) {
    if (combo.selected >= 0 && static_cast<size_t>(combo.selected) < descriptions.size()) {
        state.lockDescription = descriptions[static_cast<size_t>(combo.selected)];
    }
}

}  // namespace

ControlState InitialControls(const DeviceLayout& layout) {
    ControlState state;
    if (layout.bootLock) {
        for (auto [combo, lock] : BootLocks(state)) {
            Fill(*combo, lock->entries);
            combo->visible = true;
            combo->enabled = true;
        }
    }
    Fill(state.lock, layout.lockModes);
    ShowLockDescription(state, layout);
    FillClock(state, layout.clock);
    FillList(state.bod, layout.bod);
    FillList(state.bootBlock, layout.bootBlock);
    ShowBoxes(state, layout.boxes);
    ClockChanged(state, layout);
    return state;
}

void ApplyBytes(ControlState& state, const DeviceLayout& layout, const ConfigBytes& bytes,
                bool fusesDenied) {
    TickBoxes(state, layout.boxes, bytes);
    SelectList(state.bod, layout.bod, bytes);
    SelectList(state.bootBlock, layout.bootBlock, bytes);
    SelectClock(state, layout, bytes);
    SelectLockMode(state, layout, bytes, fusesDenied);
    if (layout.bootLock) {
        for (auto [combo, lock] : BootLocks(state)) {
            Select(*combo, lock->field, bytes);
        }
    }
    ShowLockDescription(state, layout);
}

ConfigBytes ComposeBytes(const ControlState& state, const DeviceLayout& layout) {
    ConfigBytes bytes;
    WriteClock(bytes, state, layout.clock);
    WriteList(bytes, layout.bod, state.bod.selected);
    WriteList(bytes, layout.bootBlock, state.bootBlock.selected);
    WriteBoxes(bytes, state, layout.boxes);
    WriteLockMode(bytes, state.lock.selected, layout.lockBytes);
    if (layout.bootLock) {
        for (auto [combo, lock] : BootLocks(state)) {
            WriteField(bytes, lock->field, combo->selected);
        }
    }
    return bytes;
}

void ShowLockDescription(ControlState& state, const DeviceLayout& layout) {
    ShowFromList(state, state.lock, layout.lockDescriptions);
}

void ShowBlb0Description(ControlState& state) {
    ShowFromList(state, state.blb0, BootLock0().descriptions);
}

void ShowBlb1Description(ControlState& state) {
    ShowFromList(state, state.blb1, BootLock1().descriptions);
}

void ClockChanged(ControlState& state, const DeviceLayout& layout) {
    if (layout.clock.kind != ClockKind::ThirteenSources) {
        return;
    }
    StartupChoice choice = StartupForClock(state.clock.selected);
    const int last = static_cast<int>(choice.entries.size()) - 1;
    state.startup.entries = std::move(choice.entries);
    state.startup.selected = std::clamp(state.startup.selected, 0, last);
    BoxState& box = *state.FindBox(Control::ClockOptionBox);
    box.visible = !choice.clockOptionLabel.empty();
    box.label = std::move(choice.clockOptionLabel);
}

void BodChanged(ControlState& state, const DeviceLayout& layout) {
    if (layout.clock.kind != ClockKind::FollowsBod) {
        return;
    }
    state.clock.entries = ClockEntriesForBod(state.bod.selected == 1);
    state.clock.selected = std::max(state.clock.selected, 0);
}

void SetFuseControlsEnabled(ControlState& state, const DeviceLayout& layout, bool on) {
    state.fuseGroupEnabled = on;
    for (Control id : FuseControls(layout)) {
        if (ComboState* combo = state.FindCombo(id)) {
            combo->enabled = on;
        } else if (BoxState* box = state.FindBox(id)) {
            box->enabled = on;
        }
    }
}

}  // namespace zentaro
