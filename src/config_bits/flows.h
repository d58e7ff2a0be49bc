// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "catalogue/device_table.h"
#include "config_bits/config_io.h"
#include "config_bits/control_state.h"
#include "config_bits/layouts.h"
#include "config_bits/rights.h"
#include "link/low_io.h"

namespace zentaro {

// Everything the advanced options window shows.
struct AdvancedState {
    ControlState controls;
    std::string signature;
    bool signatureRead = false;
    std::string identifier;
    std::string version;
    std::string calibration;
    ConfigBytes bytes;           // as the last read found them
    bool bytesComplete = false;  // the board answered every read of the last read
    bool readEnabled = true;
    bool writeEnabled = true;
    bool eraseEnabled = true;
};

// The advanced options without the window: opening, and the read, write and erase of the
// lock and fuse bits for one device. Each operation leaves programming mode at its end.
// The window renders State() and writes the user's selections and ticks back into it.
class AdvancedOptions {
public:
    // stopRequested tells whether the user has asked the running write to stop.
    AdvancedOptions(CLowIO& link, const DeviceRecord& device, uint8_t programmerLevel,
                    StopCheck stopRequested = {});

    // Board identity, the controls for the device, the programmer type, the first read
    // (or the signature alone) and the access rules.
    void Open();
    void Read();
    void Write();
    void Erase();

    // The bytes Write sends for the controls as they stand: the fuses when fuse access is
    // granted (the high and extended ones where the device has them), the lock always.
    ConfigWrite PendingWrite() const;

    AdvancedState& State() { return state_; }
    const AdvancedState& State() const { return state_; }
    ControlState& Controls() { return state_.controls; }
    const DeviceLayout& Layout() const { return layout_; }
    bool FusesDenied() const { return fusesDenied_; }
    bool LocksDenied() const { return locksDenied_; }
    // The board's answer to 'p' when the options opened, 0 without one.
    uint8_t ProgrammerType() const { return programmerType_; }
    // What this board may do with each byte of this device, known once Open has run.
    const ConfigRights& Rights() const { return rights_; }

private:
    bool Serial() const { return programmerType_ == 'S'; }
    void ShowSignature();
    void ShowCalibration();

    CLowIO& link_;
    StopCheck stopRequested_;
    DeviceRecord device_;
    uint8_t level_;
    DeviceLayout layout_;
    AdvancedState state_;
    // 0 until the board answered 'p'; without 'S' or 'P' only 'B' grants access.
    uint8_t programmerType_ = 0;
    ConfigRights rights_{};
    bool fusesDenied_ = false;
    bool locksDenied_ = false;
};

}  // namespace zentaro
