// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/config_change.h"

#include <algorithm>

#include "config_bits/codec.h"
#include "session/config_report.h"

namespace zentaro {

namespace {

std::string WithoutTrailingBlanks(std::string text) {
    text.erase(text.find_last_not_of(' ') + 1);
    return text;
}

// The box as the bytes show it: ticked for reset disabled, unticked for serial programming off.
bool LocksOut(const ControlState& shown, const BoxLayout& box, Lockout kind) {
    const bool ticked = shown.FindBox(box.box)->ticked;
    return kind == Lockout::ResetDisabled ? ticked : !ticked;
}

ControlState Decoded(const DeviceLayout& layout, const ConfigBytes& bytes) {
    ControlState state = InitialControls(layout);
    ApplyBytes(state, layout, bytes, false);
    return state;
}

std::string Selected(const ComboState& combo) {
    const bool valid =
        combo.selected >= 0 && static_cast<size_t>(combo.selected) < combo.entries.size();
    return valid ? combo.entries[static_cast<size_t>(combo.selected)] : std::string();
}

// External clocks, crystals and oscillators all read "Ext ..." in the clock lists.
bool External(const std::string& clock) {
    return clock.starts_with("Ext");
}

// The source an entry names, without its start-up time.
std::string Source(const std::string& clock) {
    return clock.substr(0, clock.find(','));
}

std::vector<SettingChange> ChangedSettings(const ControlState& before, const ControlState& after) {
    const std::vector<ConfigSetting> old = SettingsShown(before);
    std::vector<SettingChange> changes;
    for (const ConfigSetting& setting : SettingsShown(after)) {
        const auto found = std::find_if(
            old.begin(), old.end(), [&](const ConfigSetting& o) { return o.name == setting.name; });
        if (found != old.end() && found->value != setting.value) {
            changes.push_back({WithoutTrailingBlanks(setting.name), found->value, setting.value});
        }
    }
    return changes;
}

}  // namespace

ConfigChange DescribeChange(const DeviceLayout& layout, const ConfigBytes& before,
                            const std::array<bool, 4>& known, const ConfigWrite& write,
                            bool serialProgrammer) {
    ConfigChange change;
    change.before = before;
    change.known = known;
    change.write = write;
    ConfigBytes after = before;
    for (size_t i = 0; i < kConfigByteOrder.size(); ++i) {
        if (write[i]) {
            after[kConfigByteOrder[i]] = *write[i];
        }
    }
    const ControlState shownBefore = Decoded(layout, before);
    const ControlState shownAfter = Decoded(layout, after);
    change.settings = ChangedSettings(shownBefore, shownAfter);

    for (const BoxLayout& box : layout.boxes) {
        const size_t index = static_cast<size_t>(box.byte);
        if (!box.lockout || !write[index] ||
            (box.lockout == Lockout::SerialProgrammingOff && !serialProgrammer)) {
            continue;
        }
        const Lockout kind = *box.lockout;
        const bool already = known[index] && LocksOut(shownBefore, box, kind);
        if (LocksOut(shownAfter, box, kind) && !already) {
            change.lockouts.push_back({WithoutTrailingBlanks(PlainName(box.label)), kind});
        }
    }

    const std::string clockBefore = Selected(shownBefore.clock);
    const std::string clockAfter = Selected(shownAfter.clock);
    if (External(clockAfter) && Source(clockAfter) != Source(clockBefore)) {
        change.clockRisks.push_back({clockBefore, clockAfter});
    }
    return change;
}

ConfigChange ChangeFor(const AdvancedOptions& options, const ConfigWrite& write) {
    const AdvancedState& state = options.State();
    std::array<bool, 4> known{};
    for (size_t i = 0; i < known.size(); ++i) {
        known[i] = state.bytesComplete && options.Rights()[i].readable;
    }
    return DescribeChange(options.Layout(), state.bytes, known, write,
                          options.ProgrammerType() == 'S');
}

std::string LockoutQuestion(const ConfigChange& change) {
    std::string text = "写入后，芯片将不再响应本编程器，也无法再用它恢复：\n";
    for (const LockoutSetting& setting : change.lockouts) {
        text += "\n“" + setting.name + "”";
        text += setting.kind == Lockout::SerialProgrammingOff ? "未勾选：串行编程将被关闭。"
                                                              : "被勾选：复位脚将被禁用。";
    }
    for (const ClockChange& clock : change.clockRisks) {
        text += "\n\n时钟源将由“" + clock.before + "”改为“" + clock.after +
                "”：电路上没有这个时钟时，芯片同样无法再编程。";
    }
    return text + "\n\n确实要写入吗？";
}

std::string LockoutRefusal(const ConfigChange& change) {
    std::string text = "nothing written: the chip would no longer answer this programmer:";
    const char* separator = " ";
    for (const LockoutSetting& setting : change.lockouts) {
        text += separator + setting.name;
        text += setting.kind == Lockout::SerialProgrammingOff ? " unticked (serial programming off)"
                                                              : " ticked (reset disabled)";
        separator = ", ";
    }
    for (const ClockChange& clock : change.clockRisks) {
        text += "; the clock source also changes to an external one (" + clock.before + " -> " +
                clock.after + ")";
    }
    return text + ". Give --allow-lockout to write anyway.";
}

}  // namespace zentaro
