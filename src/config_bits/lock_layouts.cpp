// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/lock_layouts.h"

namespace zentaro {

namespace {

using B = ConfigByte;

std::vector<uint8_t> LockBytes(LockEncoding encoding) {
    switch (encoding) {
        case LockEncoding::NeverLocks:
            return {0xFF, 0xFF, 0xFF};
        case LockEncoding::Bits7And6:
            return {0xFF, 0x7F, 0x3F};
        case LockEncoding::Bits2And1:
            return {0xFF, 0xFD, 0xF9};
        case LockEncoding::Bits1And0:
            return {0xFF, 0xFE, 0xFC};
        case LockEncoding::FourModes:
            return {0xFF, 0x70, 0x30, 0x10};
    }
    return {};
}

// Lock modes 1, 2, 3 read from a two-bit field, one value of which leaves the mode alone.
BitField LockReadField(ConfigByte byte, uint8_t lowBit, std::vector<int> entries) {
    return {byte, {lowBit, static_cast<uint8_t>(lowBit + 1)}, {}, std::move(entries)};
}

// Entry 1 clears the lower bit, entry 2 both, entry 3 the upper one.
BootLockLayout MakeBootLock(const std::string& name, const std::string& section, uint8_t lowBit) {
    return {{name + " Mode 1", name + " Mode 2", name + " Mode 3", name + " Mode 4"},
            {"No lock " + section, "No SPM " + section, "No LPM, No SPM " + section,
             "No LPM " + section},
            {B::Lock, {lowBit, static_cast<uint8_t>(lowBit + 1)}, {3, 2, 0, 1}, {2, 3, 1, 0}}};
}

}  // namespace

void SetLockModes(DeviceLayout& layout, LockEncoding encoding) {
    layout.lockBytes = LockBytes(encoding);
    if (encoding == LockEncoding::FourModes) {
        layout.lockModes = {"方式 1", "方式 2", "方式 3", "方式 4"};
        layout.lockDescriptions = {
            "No internal memory lock features",
            "No external MOVC. Flash prog disabled",
            "Same as mode 2 and verify disabled",
            "Same as mode 3 and external exec. disabled",
        };
        return;
    }
    layout.lockModes = {"方式 1", "方式 2", "方式 3"};
    layout.lockDescriptions = {
        "没有程序加密            ",
        "加密效果:禁止 Flash 编程  ",
        "加密效果:禁止校验和编程        ",
    };
}

std::optional<BitField> LockReadFor(LockReadRule rule) {
    switch (rule) {
        case LockReadRule::NotRead:
            return std::nullopt;
        case LockReadRule::LowBits7And6:
            return LockReadField(B::Low, 6, {0, kKeepSelection, 1, 2});
        case LockReadRule::LowBits7And6Inverted:
            return LockReadField(B::Low, 6, {2, 1, kKeepSelection, 0});
        case LockReadRule::LockBits2And1:
            return LockReadField(B::Lock, 1, {2, kKeepSelection, 1, 0});
        case LockReadRule::LockBits1And0:
            return LockReadField(B::Lock, 0, {2, kKeepSelection, 1, 0});
    }
    return std::nullopt;
}

const BootLockLayout& BootLock0() {
    static const BootLockLayout layout = MakeBootLock("BLB0", "Application section", 2);
    return layout;
}

const BootLockLayout& BootLock1() {
    static const BootLockLayout layout = MakeBootLock("BLB1", "Boot Loader section", 4);
    return layout;
}

}  // namespace zentaro
