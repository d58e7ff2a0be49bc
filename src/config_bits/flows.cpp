// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/flows.h"

#include <cstdio>

#include "config_bits/codec.h"
#include "config_bits/command_tables.h"
#include "config_bits/config_io.h"

namespace zentaro {

namespace {

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

AdvancedOptions::AdvancedOptions(CLowIO& link, const DeviceRecord& device, uint8_t programmerLevel,
                                 StopCheck stopRequested)
    : link_(link),
      stopRequested_(std::move(stopRequested)),
      device_(device),
      level_(programmerLevel),
      layout_(LayoutForDevice(ProfileFor(device))) {}

void AdvancedOptions::Open() {
    state_.identifier = link_.Identify() ? Printable(link_.SoftwareIdentifier()) : "?";
    char major = 0;
    char minor = 0;
    state_.version = link_.wire().ReadSoftwareVersion(major, minor)
                         ? Printable(std::string{major, '.', minor})
                         : "?.?";
    state_.controls = InitialControls(layout_);

    char type = 0;
    if (link_.wire().ReadProgrammerType(type)) {
        programmerType_ = static_cast<uint8_t>(type);
    }
    rights_ = RightsFor(device_, programmerType_, level_);
    if (Readable(rights_)) {
        Read();
    } else {
        state_.readEnabled = false;
        ShowSignature();
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link_.LeaveProgMode());
    }
    if (!FusesWritable(rights_)) {
        fusesDenied_ = true;
        SetFuseControlsEnabled(state_.controls, layout_, false);
    }
    if (!LockWritable(rights_)) {
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
    state_.signatureRead = link_.ReadSignature(b0, b1, b2);
    if (!state_.signatureRead) {
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

ConfigWrite AdvancedOptions::PendingWrite() const {
    const ConfigBytes bytes = ComposeBytes(state_.controls, layout_);
    ConfigWrite request{};
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        const ConfigByte which = kConfigByteOrder[i];
        // The lock goes out even when lock access is denied: the board is the judge of it.
        if (which == ConfigByte::Lock || rights_[i].writable) {
            request[i] = bytes[which];
        }
    }
    return request;
}

void AdvancedOptions::Write() {
    state_.writeEnabled = false;
    const ConfigWrite request = PendingWrite();
    if (state_.controls.lock.selected >= 1 && !fusesDenied_) {
        SetFuseControlsEnabled(state_.controls, layout_, false);
    }
    // Deliberately unchecked: the window reports no single write; what the chip holds is what
    // its next read shows.
    static_cast<void>(
        WriteConfigBytes(link_, ProfileFor(device_), Serial(), request, stopRequested_));
    state_.writeEnabled = true;
}

void AdvancedOptions::Erase() {
    state_.eraseEnabled = false;
    // Deliberately unchecked: the read that follows shows what the chip holds now.
    static_cast<void>(link_.ChipErase());
    if (Readable(rights_)) {
        Read();
    } else {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link_.LeaveProgMode());
    }
    state_.eraseEnabled = true;
}

}  // namespace zentaro
