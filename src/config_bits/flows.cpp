// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/flows.h"

#include <cstdio>

#include "config_bits/codec.h"
#include "config_bits/command_tables.h"
#include "config_bits/config_io.h"

namespace zentaro {

namespace {

constexpr size_t kFuseAccess = 0;
constexpr size_t kLockAccess = 1;
constexpr size_t kReadAccess = 2;

constexpr const char* kNoSupport = "No_support";

// Board texts are shown as they came, except bytes that are no printable ASCII.
std::string Printable(std::string text) {
    for (char& c : text) {
        if (c < 0x20 || c > 0x7E) {
            c = '?';
        }
    }
    return text;
}

std::string Hex(uint8_t value) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value);
    return text;
}

}  // namespace

AdvancedOptions::AdvancedOptions(CLowIO& link, const DeviceRecord& device, uint8_t programmerLevel)
    : link_(link),
      device_(device),
      level_(programmerLevel),
      layout_(LayoutForDevice(ProfileFor(device))) {}

bool AdvancedOptions::Granted(size_t accessIndex) const {
    const ConfigAccess access = AccessFor(device_, programmerType_);
    switch (accessIndex) {
        case kFuseAccess:
            return access.fuses;
        case kLockAccess:
            return access.locks;
        default:
            return access.read;
    }
}

void AdvancedOptions::Open() {
    state_.identifier = link_.Identify() ? Printable(link_.SoftwareIdentifier()) : "?";
    char major = 0;
    char minor = 0;
    state_.version =
        link_.ReadSoftwareVersion(major, minor) ? Printable(std::string{major, '.', minor}) : "?.?";
    state_.controls = InitialControls(layout_);

    char type = 0;
    if (link_.ReadProgrammerType(type)) {
        programmerType_ = static_cast<uint8_t>(type);
    }
    if (Granted(kReadAccess)) {
        Read();
    } else {
        state_.readEnabled = false;
        ShowSignature();
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link_.LeaveProgMode());
    }
    if (!Granted(kFuseAccess)) {
        fusesDenied_ = true;
        SetFuseControlsEnabled(state_.controls, layout_, false);
    }
    if (!Granted(kLockAccess)) {
        locksDenied_ = true;
        state_.controls.lock.enabled = false;
        state_.controls.lockDescriptionEnabled = false;
        state_.controls.lockGroupEnabled = false;
    }
    if (fusesDenied_ && locksDenied_) {
        state_.writeEnabled = false;
    }
}

void AdvancedOptions::ShowSignature() {
    uint8_t b0 = 0;
    uint8_t b1 = 0;
    uint8_t b2 = 0;
    if (!link_.ReadSignature(b0, b1, b2)) {
        state_.signature = "?? ?? ??";
        return;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%02X %02X %02X", b2, b1, b0);
    state_.signature = text;
}

void AdvancedOptions::ShowCalibration() {
    switch (ProfileFor(device_).calibration) {
        case CalibrationSource::None:
            state_.calibration.clear();
            return;
        case CalibrationSource::NoSupport:
            state_.calibration = kNoSupport;
            return;
        case CalibrationSource::Chip:
            break;
    }
    uint8_t value = 0;
    if (programmerType_ == 'S') {
        state_.calibration =
            link_.UniversalCommand(0x38, 0x00, 0x00, value) ? Hex(value) : kNoSupport;
    } else if (programmerType_ == 'P') {
        state_.calibration = link_.ReadCalibrationByte(value) ? Hex(value) : kNoSupport;
    }
}

void AdvancedOptions::Read() {
    state_.readEnabled = false;
    ShowSignature();
    ShowCalibration();
    const ConfigRead read = ReadConfigBytes(link_, ProfileFor(device_), Serial(), level_);
    state_.bytes = read.bytes;
    state_.bytesComplete = read.complete;
    // Deliberately unchecked: the link forgets programming mode whatever the board answers.
    static_cast<void>(link_.LeaveProgMode());
    ApplyBytes(state_.controls, layout_, read.bytes, fusesDenied_);
    state_.readEnabled = true;
}

void AdvancedOptions::WriteFuses(const ConfigBytes& bytes) {
    // Deliberately unchecked, here and for the lock byte: the window reports no single write;
    // what the chip holds is what its next read shows.
    const DeviceProfile& profile = ProfileFor(device_);
    static_cast<void>(WriteLowFuse(link_, profile, Serial(), bytes.low));
    if (profile.highFuse) {
        static_cast<void>(WriteHighFuse(link_, Serial(), bytes.high));
    }
    if (profile.extendedFuse) {
        static_cast<void>(WriteExtendedFuse(link_, Serial(), bytes.extended));
    }
}

void AdvancedOptions::Write() {
    state_.writeEnabled = false;
    const ConfigBytes bytes = ComposeBytes(state_.controls, layout_);
    if (state_.controls.lock.selected >= 1 && !fusesDenied_) {
        SetFuseControlsEnabled(state_.controls, layout_, false);
    }
    if (Granted(kFuseAccess)) {
        WriteFuses(bytes);
    }
    // A stop asked for during the fuses keeps the lock as it was: it cannot be undone.
    if (!link_.panel().StopRequested()) {
        static_cast<void>(WriteLockByte(link_, ProfileFor(device_), Serial(), bytes.lock));
    }
    state_.writeEnabled = true;
    // Deliberately unchecked: the link forgets programming mode whatever the board answers.
    static_cast<void>(link_.LeaveProgMode());
}

void AdvancedOptions::Erase() {
    state_.eraseEnabled = false;
    // Deliberately unchecked: the read that follows shows what the chip holds now.
    static_cast<void>(link_.ChipErase());
    if (Granted(kReadAccess)) {
        Read();
    } else {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link_.LeaveProgMode());
    }
    state_.eraseEnabled = true;
}

}  // namespace zentaro
