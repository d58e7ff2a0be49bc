// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config_bits/control_state.h"
#include "config_bits/layouts.h"

namespace zentaro {

// The controls as the window opens: lists filled, first entries selected, labelled boxes
// shown, fuse controls disabled until a read allows them.
ControlState InitialControls(const DeviceLayout& layout);

// Sets the controls from bytes read back from the chip. A lock mode read also enables the
// fuse controls (mode 1) or disables them (other modes) unless fuse access was denied.
void ApplyBytes(ControlState& state, const DeviceLayout& layout, const ConfigBytes& bytes,
                bool fusesDenied);

// The bytes the controls stand for, each composed from 0xFF by clearing bits.
ConfigBytes ComposeBytes(const ControlState& state, const DeviceLayout& layout);

// Lock-mode, BLB0 and BLB1 descriptions for the current selection, shown under the lock combos.
void ShowLockDescription(ControlState& state, const DeviceLayout& layout);
void ShowBlb0Description(ControlState& state);
void ShowBlb1Description(ControlState& state);

// A new clock source: the start-up list and the clock option box follow it (thirteen-source
// layouts).
void ClockChanged(ControlState& state, const DeviceLayout& layout);
// A new BOD selection: the clock texts follow it (ClockKind::FollowsBod), keeping the clock
// index.
void BodChanged(ControlState& state, const DeviceLayout& layout);

void SetFuseControlsEnabled(ControlState& state, const DeviceLayout& layout, bool on);

}  // namespace zentaro
