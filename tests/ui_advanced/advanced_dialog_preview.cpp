// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "catalogue/device_table.h"
#include "ui/advanced_dialog.h"
#include "ui_advanced/board_session.h"

// Shows the advanced options for the named device against the simulated serial board whose
// chip holds the given lock, low, high and extended bytes (hex; defaults FF E2 99 FD).
int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    const char* name = argc > 1 ? argv[1] : "Mirval 10";
    if (zentaro::FindDeviceByName(name).name == nullptr) {
        std::fprintf(stderr, "no device named %s\n", name);
        return 2;
    }
    std::vector<std::string> options = {"--chip", name};
    const char* names[] = {"--lock", "--low-fuse", "--high-fuse", "--ext-fuse"};
    const char* values[] = {"FF", "E2", "99", "FD"};
    for (int i = 0; i < 4; ++i) {
        options.insert(options.end(),
                       {names[i], std::string("0x") + (argc > 2 + i ? argv[2 + i] : values[i])});
    }
    zentaro::test::BoardSession scripted(name, options);
    zentaro::AdvancedDialog::Run(nullptr, scripted.Board());
    return 0;
}
