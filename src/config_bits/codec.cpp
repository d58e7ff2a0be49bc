// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/codec.h"

#include <algorithm>

namespace zentaro {

namespace {

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

void ApplyL13(ControlState& state, const DeviceLayout& layout, uint8_t low) {
    const int nibble = low & 0x0F;
    const int field = (low >> 4) & 0x03;
    state.clock.selected = nibble < 10 ? nibble : 10 + (nibble - 10) / 2;
    ClockChanged(state, layout);
    state.startup.selected = nibble < 10 ? field : ((low & 0x01) << 2) | field;
}

// Low fuse bits 5-0 for a thirteen-source clock entry and its start-up index.
void WriteL13(ConfigBytes& bytes, int clock, int startup) {
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
        for (auto [combo, entries] :
             {std::pair{&state.blb0, &Blb0Entries()}, std::pair{&state.blb1, &Blb1Entries()}}) {
            Fill(*combo, *entries);
            combo->visible = true;
            combo->enabled = true;
        }
    }
    Fill(state.lock, layout.lockModes);
    ShowLockDescription(state, layout);

    switch (layout.clockKind) {
        case ClockKind::None:
            FillPlaceholder(state.clock, kNoClockList);
            break;
        case ClockKind::L13:
            state.startup.visible = true;
            state.startup.enabled = true;
            [[fallthrough]];
        case ClockKind::List:
            Fill(state.clock, layout.clockEntries);
            break;
        case ClockKind::L16B:
            Fill(state.clock, {});
            break;
    }
    if (layout.bodField) {
        Fill(state.bod, layout.bodEntries);
    } else {
        FillPlaceholder(state.bod, kNoList);
    }
    if (layout.bootBlockField) {
        Fill(state.bootBlock, layout.bootBlockEntries);
    } else {
        FillPlaceholder(state.bootBlock, kNoList);
    }

    for (const BoxLayout& box : layout.boxes) {
        BoxState& shown = *state.FindBox(box.box);
        if (box.shown && !box.labelFromClock) {
            shown.label = box.label;
            shown.visible = true;
        }
    }
    ClockChanged(state, layout);
    return state;
}

void ApplyBytes(ControlState& state, const DeviceLayout& layout, const ConfigBytes& bytes,
                bool fusesDenied) {
    for (const BoxLayout& box : layout.boxes) {
        const bool one = ((bytes[box.byte] >> box.bit) & 1) != 0;
        state.FindBox(box.box)->ticked = box.tickedWhenOne ? one : !one;
    }
    if (layout.bodField) {
        Select(state.bod, *layout.bodField, bytes);
    }
    if (layout.bootBlockField) {
        Select(state.bootBlock, *layout.bootBlockField, bytes);
    }
    switch (layout.clockKind) {
        case ClockKind::None:
            break;
        case ClockKind::List:
            if (layout.clockFromZeroByte) {
                state.clock.selected = bytes.low == 0x00 ? 1 : 0;
            } else {
                Select(state.clock, *layout.clockField, bytes);
            }
            break;
        case ClockKind::L16B:
            BodChanged(state, layout);
            Select(state.clock, *layout.clockField, bytes);
            break;
        case ClockKind::L13:
            ApplyL13(state, layout, bytes.low);
            break;
    }
    if (layout.lockRead) {
        const int mode = layout.lockRead->readEntries[Extract(*layout.lockRead, bytes)];
        if (mode != kKeepSelection) {
            state.lock.selected = mode;
            if (!fusesDenied) {
                SetFuseControlsEnabled(state, layout, mode == 0);
            }
        }
    }
    if (layout.bootLock) {
        Select(state.blb0, Blb0Field(), bytes);
        Select(state.blb1, Blb1Field(), bytes);
    }
    ShowLockDescription(state, layout);
}

ConfigBytes ComposeBytes(const ControlState& state, const DeviceLayout& layout) {
    ConfigBytes bytes;
    if (layout.clockKind == ClockKind::L13) {
        WriteL13(bytes, state.clock.selected, state.startup.selected);
    } else if (layout.clockField) {
        WriteField(bytes, *layout.clockField, state.clock.selected);
    }
    if (layout.bodField) {
        WriteField(bytes, *layout.bodField, state.bod.selected);
    }
    if (layout.bootBlockField) {
        WriteField(bytes, *layout.bootBlockField, state.bootBlock.selected);
    }
    for (const BoxLayout& box : layout.boxes) {
        if (state.FindBox(box.box)->ticked) {
            ClearBit(bytes, box.byte, box.bit);
        }
    }
    const int mode = state.lock.selected;
    if (mode >= 0 && static_cast<size_t>(mode) < layout.lockBytes.size()) {
        bytes.lock = layout.lockBytes[static_cast<size_t>(mode)];
    }
    if (layout.bootLock) {
        WriteField(bytes, Blb0Field(), state.blb0.selected);
        WriteField(bytes, Blb1Field(), state.blb1.selected);
    }
    return bytes;
}

void ShowLockDescription(ControlState& state, const DeviceLayout& layout) {
    ShowFromList(state, state.lock, layout.lockDescriptions);
}

void ShowBlb0Description(ControlState& state) {
    ShowFromList(state, state.blb0, Blb0Descriptions());
}

void ShowBlb1Description(ControlState& state) {
    ShowFromList(state, state.blb1, Blb1Descriptions());
}

void ClockChanged(ControlState& state, const DeviceLayout& layout) {
    if (layout.clockKind != ClockKind::L13) {
        return;
    }
    StartupChoice choice = StartupForClock(state.clock.selected);
    const int last = static_cast<int>(choice.entries.size()) - 1;
    state.startup.entries = std::move(choice.entries);
    state.startup.selected = std::clamp(state.startup.selected, 0, last);
    BoxState& box = *state.FindBox(Control::Box1047);
    box.visible = !choice.box1047Label.empty();
    box.label = std::move(choice.box1047Label);
}

void BodChanged(ControlState& state, const DeviceLayout& layout) {
    if (layout.clockKind != ClockKind::L16B) {
        return;
    }
    state.clock.entries = L16BEntries(state.bod.selected == 1);
    state.clock.selected = std::max(state.clock.selected, 0);
}

void SetFuseControlsEnabled(ControlState& state, const DeviceLayout& layout, bool on) {
    state.fuseGroupEnabled = on;
    for (Control id : layout.fuseControls) {
        if (ComboState* combo = state.FindCombo(id)) {
            combo->enabled = on;
        } else if (BoxState* box = state.FindBox(id)) {
            box->enabled = on;
        }
    }
}

}  // namespace zentaro
