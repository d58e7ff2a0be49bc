#include "config_bits/flows.h"

#include <cstdio>

#include "config_bits/codec.h"
#include "config_bits/command_tables.h"

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
      layout_(LayoutForDevice(device.deviceCode)) {}

// Only a board that named itself serial or parallel can match a type byte; otherwise a NUL
// or '0' byte in the table would grant access to a board that never answered 'p'.
bool AdvancedOptions::Granted(size_t accessIndex) const {
    const uint8_t support = device_.interfaceSupport[accessIndex];
    if (programmerType_ != 'S' && programmerType_ != 'P') {
        return support == 'B';
    }
    return AccessGranted(support, programmerType_);
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
        link_.LeaveProgMode();
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
    switch (CalibrationFor(device_.deviceCode)) {
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

ConfigBytes AdvancedOptions::ReadBytes() {
    ConfigBytes bytes;
    for (const ReadStep& step : ReadPlan(device_.deviceCode, Serial(), level_)) {
        uint8_t& value = bytes[step.target];
        switch (step.command) {
            case 'r':
                link_.ReadLockBits(value);
                break;
            case 'F':
                link_.ReadFuseBits(value);
                break;
            case 'N':
                link_.ReadHighFuseBits(value);
                break;
            case 'Q':
                link_.ReadExtendedFuseBits(value);
                break;
            default:
                link_.UniversalCommand(step.instruction[0], step.instruction[1],
                                       step.instruction[2], value);
                break;
        }
    }
    return bytes;
}

void AdvancedOptions::Read() {
    state_.readEnabled = false;
    ShowSignature();
    ShowCalibration();
    const ConfigBytes bytes = ReadBytes();
    link_.LeaveProgMode();
    ApplyBytes(state_.controls, layout_, bytes, fusesDenied_);
    state_.readEnabled = true;
}

void AdvancedOptions::WriteFuses(const ConfigBytes& bytes) {
    const uint32_t code = device_.deviceCode;
    uint8_t reply = 0;
    if (!Serial()) {
        link_.WriteFuseBits(bytes.low);
    } else {
        if (SerialLowFuseWholeByte(code)) {
            reply = bytes.low;
            link_.UniversalWrite(0xAC, 0xA0, 0x00, reply);
        } else {
            link_.UniversalCommand(0xAC, static_cast<uint8_t>(0xA0 + (bytes.low & 0x1F)), 0x00,
                                   reply);
        }
        if (LeavesAfterSerialLowFuse(code)) {
            link_.LeaveProgMode();
        }
    }
    if (HasHighFuse(code)) {
        if (Serial()) {
            reply = bytes.high;
            link_.UniversalWrite(0xAC, 0xA8, 0x00, reply);
        } else {
            link_.WriteHighFuseBits(bytes.high);
        }
    }
    if (HasExtendedFuse(code)) {
        if (Serial()) {
            reply = bytes.extended;
            link_.UniversalWrite(0xAC, 0xA4, 0x00, reply);
        } else {
            link_.WriteExtendedFuseBits(bytes.extended);
        }
    }
}

void AdvancedOptions::WriteLock(uint8_t lock) {
    if (Serial() && SerialLockThroughInstruction(device_.deviceCode)) {
        link_.UniversalWrite(0xAC, 0xE0, 0x00, lock);
    } else {
        link_.WriteLockBits(lock);
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
        WriteLock(bytes.lock);
    }
    state_.writeEnabled = true;
    link_.LeaveProgMode();
}

void AdvancedOptions::Erase() {
    state_.eraseEnabled = false;
    link_.ChipErase();
    if (Granted(kReadAccess)) {
        Read();
    } else {
        link_.LeaveProgMode();
    }
    state_.eraseEnabled = true;
}

}  // namespace zentaro
