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

ConfigBytes ReadConfigBytes(CLowIO& link, uint32_t deviceCode, bool serial, uint8_t level) {
    ConfigBytes bytes;
    for (const ReadStep& step : ReadPlan(deviceCode, serial, level)) {
        uint8_t& value = bytes[step.target];
        switch (step.command) {
            case 'r':
                link.ReadLockBits(value);
                break;
            case 'F':
                link.ReadFuseBits(value);
                break;
            case 'N':
                link.ReadHighFuseBits(value);
                break;
            case 'Q':
                link.ReadExtendedFuseBits(value);
                break;
            default:
                link.UniversalCommand(step.instruction[0], step.instruction[1], step.instruction[2],
                                      value);
                break;
        }
    }
    return bytes;
}

void WriteLowFuse(CLowIO& link, uint32_t deviceCode, bool serial, uint8_t value) {
    if (!serial) {
        link.WriteFuseBits(value);
        return;
    }
    uint8_t reply = value;
    if (SerialLowFuseWholeByte(deviceCode)) {
        link.UniversalWrite(0xAC, 0xA0, 0x00, reply);
    } else {
        link.UniversalCommand(0xAC, static_cast<uint8_t>(0xA0 + (value & 0x1F)), 0x00, reply);
    }
    if (LeavesAfterSerialLowFuse(deviceCode)) {
        link.LeaveProgMode();
    }
}

void WriteHighFuse(CLowIO& link, bool serial, uint8_t value) {
    if (serial) {
        link.UniversalWrite(0xAC, 0xA8, 0x00, value);
    } else {
        link.WriteHighFuseBits(value);
    }
}

void WriteExtendedFuse(CLowIO& link, bool serial, uint8_t value) {
    if (serial) {
        link.UniversalWrite(0xAC, 0xA4, 0x00, value);
    } else {
        link.WriteExtendedFuseBits(value);
    }
}

void WriteLockByte(CLowIO& link, uint32_t deviceCode, bool serial, uint8_t value) {
    if (serial && SerialLockThroughInstruction(deviceCode)) {
        link.UniversalWrite(0xAC, 0xE0, 0x00, value);
    } else {
        link.WriteLockBits(value);
    }
}

}  // namespace zentaro
