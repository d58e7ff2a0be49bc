// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "catalogue/device_table.h"
#include "config_bits/flows.h"
#include "ui/advanced_dialog.h"
#include "ui_advanced/scripted_link.h"

// Shows the advanced options for the named device against a scripted serial board whose chip
// holds the given lock, low, high and extended bytes (hex; defaults FF E2 99 FD).
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const char* name = argc > 1 ? argv[1] : "Mirval 10";
    zentaro::DeviceRecord device = zentaro::FindDeviceByName(name);
    if (device.name == nullptr) {
        std::fprintf(stderr, "no device named %s\n", name);
        return 2;
    }
    zentaro::test::ScriptedLink scripted;
    uint8_t* bytes[] = {&scripted.board.lock, &scripted.board.low, &scripted.board.high,
                        &scripted.board.extended};
    const char* values[] = {"FF", "E2", "99", "FD"};
    for (int i = 0; i < 4; ++i) {
        const char* text = argc > 2 + i ? argv[2 + i] : values[i];
        *bytes[i] = static_cast<uint8_t>(std::strtoul(text, nullptr, 16));
    }
    zentaro::RunAdvancedOptionsDialog(
        nullptr, std::make_unique<zentaro::AdvancedOptions>(*scripted.link, device, 3));
    return 0;
}
