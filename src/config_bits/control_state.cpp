// SPDX-License-Identifier: GPL-3.0-or-later
#include "config_bits/control_state.h"

#include <algorithm>

namespace zentaro {

namespace {

template <typename State>
auto* ComboOf(State& state, Control id) {
    switch (id) {
        case Control::Lock:
            return &state.lock;
        case Control::Blb0:
            return &state.blb0;
        case Control::Blb1:
            return &state.blb1;
        case Control::Clock:
            return &state.clock;
        case Control::Startup:
            return &state.startup;
        case Control::Bod:
            return &state.bod;
        case Control::BootBlock:
            return &state.bootBlock;
        default:
            return static_cast<decltype(&state.lock)>(nullptr);
    }
}

template <typename State>
auto* BoxOf(State& state, Control id) {
    auto it = std::find(kBoxes.begin(), kBoxes.end(), id);
    return it == kBoxes.end() ? nullptr : &state.boxes[static_cast<size_t>(it - kBoxes.begin())];
}

template <typename Bytes>
auto& ByteOf(Bytes& bytes, ConfigByte which) {
    switch (which) {
        case ConfigByte::Lock:
            return bytes.lock;
        case ConfigByte::Low:
            return bytes.low;
        case ConfigByte::High:
            return bytes.high;
        case ConfigByte::Extended:
            break;
    }
    return bytes.extended;
}

}  // namespace

ComboState* ControlState::FindCombo(Control id) {
    return ComboOf(*this, id);
}
const ComboState* ControlState::FindCombo(Control id) const {
    return ComboOf(*this, id);
}
BoxState* ControlState::FindBox(Control id) {
    return BoxOf(*this, id);
}
const BoxState* ControlState::FindBox(Control id) const {
    return BoxOf(*this, id);
}

std::string PlainName(const std::string& label) {
    std::string name;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size()) {
            ++i;
        }
        name += label[i];
    }
    return name;
}

uint8_t& ConfigBytes::operator[](ConfigByte which) {
    return ByteOf(*this, which);
}
uint8_t ConfigBytes::operator[](ConfigByte which) const {
    return ByteOf(*this, which);
}

}  // namespace zentaro
