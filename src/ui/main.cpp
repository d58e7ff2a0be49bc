// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <cstdio>
#include <string_view>

#include "ui/application.h"
#include "zentaro_version.h"

int main(int argc, char* argv[]) {
    // Answered before the application object exists: it needs no display.
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--version") {
            std::printf("zentaro %s\n", zentaro::kVersion);
            return 0;
        }
    }
    // Lets a Wayland desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("zentaro"));
    QApplication application(argc, argv);
    return zentaro::RunApplication();
}
