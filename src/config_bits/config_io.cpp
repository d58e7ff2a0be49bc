// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/config_io.h"

#include "config_bits/command_tables.h"

namespace zentaro {

namespace {

// Only a board that named itself serial or parallel can match a type byte; otherwise a NUL
// or '0' byte in the table would grant access to a board that never answered 'p'.
bool Granted(uint8_t support, uint8_t programmerType) {
    if (programmerType != 'S' && programmerType != 'P') {
        return support == 'B';
    }
    return AccessGranted(support, programmerType);
}

}  // namespace

ConfigAccess AccessFor(const DeviceRecord& device, uint8_t programmerType) {
    return {.fuses = Granted(device.interfaceSupport[0], programmerType),
            .locks = Granted(device.interfaceSupport[1], programmerType),
            .read = Granted(device.interfaceSupport[2], programmerType)};
}

ConfigRead ReadConfigBytes(CLowIO& link, const DeviceProfile& profile, bool serial, uint8_t level) {
    ConfigRead read;
    for (const ReadStep& step : ReadPlan(profile, serial, level)) {
        uint8_t& value = read.bytes[step.target];
        bool answered = false;
        switch (step.command) {
            case 'r':
                answered = link.ReadLockBits(value);
                break;
            case 'F':
                answered = link.ReadFuseBits(value);
                break;
            case 'N':
                answered = link.ReadHighFuseBits(value);
                break;
            case 'Q':
                answered = link.ReadExtendedFuseBits(value);
                break;
            default:
                answered = link.UniversalCommand(step.instruction[0], step.instruction[1],
                                                 step.instruction[2], value);
                break;
        }
        read.complete = read.complete && answered;
    }
    return read;
}

bool WriteLowFuse(CLowIO& link, const DeviceProfile& profile, bool serial, uint8_t value) {
    if (!serial) {
        return link.WriteFuseBits(value);
    }
    uint8_t reply = value;
    const bool written =
        profile.serialLowFuse == SerialLowFuseForm::WholeByte
            ? link.UniversalWrite(0xAC, 0xA0, 0x00, reply)
            : link.UniversalCommand(0xAC, static_cast<uint8_t>(0xA0 + (value & 0x1F)), 0x00, reply);
    if (profile.leavesProgModeAfterSerialLowFuse) {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link.LeaveProgMode());
    }
    return written;
}

bool WriteHighFuse(CLowIO& link, bool serial, uint8_t value) {
    return serial ? link.UniversalWrite(0xAC, 0xA8, 0x00, value) : link.WriteHighFuseBits(value);
}

bool WriteExtendedFuse(CLowIO& link, bool serial, uint8_t value) {
    return serial ? link.UniversalWrite(0xAC, 0xA4, 0x00, value)
                  : link.WriteExtendedFuseBits(value);
}

bool WriteLockByte(CLowIO& link, const DeviceProfile& profile, bool serial, uint8_t value) {
    return serial && profile.serialLockThroughInstruction
               ? link.UniversalWrite(0xAC, 0xE0, 0x00, value)
               : link.WriteLockBits(value);
}

bool WriteConfigBytes(CLowIO& link, const DeviceProfile& profile, bool serial,
                      const ConfigWrite& request, const StopCheck& stopRequested) {
    const auto requested = [&](ConfigByte which) { return request[static_cast<size_t>(which)]; };
    bool written = true;
    if (const auto low = requested(ConfigByte::Low)) {
        written = WriteLowFuse(link, profile, serial, *low) && written;
    }
    if (const auto high = requested(ConfigByte::High)) {
        written = WriteHighFuse(link, serial, *high) && written;
    }
    if (const auto extended = requested(ConfigByte::Extended)) {
        written = WriteExtendedFuse(link, serial, *extended) && written;
    }
    const auto lock = requested(ConfigByte::Lock);
    if (lock && !(stopRequested && stopRequested())) {
        written = WriteLockByte(link, profile, serial, *lock) && written;
    }
    // Deliberately unchecked: the link forgets programming mode whatever the board answers.
    static_cast<void>(link.LeaveProgMode());
    return written;
}

}  // namespace zentaro
