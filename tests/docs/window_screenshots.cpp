// SPDX-License-Identifier: GPL-3.0-or-later
// window_screenshots FOLDER HEXFILE: the Zentaro window as a user sees it, for the pictures in
// docs/. It is the program itself (it finds the board the same way, so a board must answer,
// usually zentaro-sim), with a hand on the buttons: it programs HEXFILE into the flash, saves
// the main window as FOLDER/window.png, opens the advanced options, reads the lock and fuse
// bits and saves that window as FOLDER/advanced.png, then closes both. docs/make_screenshots.sh
// runs it.

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QImageWriter>
#include <QLabel>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "ui/application.h"
#include "ui/settings_store.h"

namespace {

// One thing to do once the window is ready for it.
struct Step {
    std::function<bool()> ready;
    std::function<void()> act;
};

// A top-level window of the program by its object name, when it is on the screen.
QWidget* Shown(const char* name) {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String(name) && widget->isVisible()) {
            return widget;
        }
    }
    return nullptr;
}

template <typename T>
T* Part(const char* window, const char* name) {
    QWidget* shown = Shown(window);
    return shown != nullptr ? shown->findChild<T*>(QLatin1String(name)) : nullptr;
}

// Ready when the button is there and takes clicks again, i.e. no command runs.
bool Idle(const char* window, const char* button) {
    const QAbstractButton* found = Part<QAbstractButton>(window, button);
    return found != nullptr && found->isEnabled();
}

// Queued, so that a click that opens a modal window does not hold up the steps: they go on
// from the timer inside that window's own loop.
void Click(const char* window, const char* button) {
    QMetaObject::invokeMethod(Part<QAbstractButton>(window, button), "click", Qt::QueuedConnection);
}

// In 256 colours and at the strongest compression: the pictures live in the repository.
void Save(const char* window, const QString& path) {
    QImageWriter writer(path, "png");
    writer.setQuality(0);
    const QImage picture = Shown(window)->grab().toImage().convertToFormat(
        QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
    if (!writer.write(picture)) {
        std::fprintf(stderr, "window_screenshots: cannot write %s\n", qPrintable(path));
        std::_Exit(1);
    }
    std::printf("window_screenshots: %s\n", qPrintable(path));
}

}  // namespace

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: window_screenshots FOLDER HEXFILE\n");
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    // What a user who programmed this file before would have: the file and the chip chosen,
    // and a status line that stays until the picture is taken.
    zentaro::SettingsStore settings;
    if (!settings.WriteText(zentaro::kFileNameKey, QString::fromLocal8Bit(argv[2])) ||
        !settings.WriteText(zentaro::kDeviceNameKey, QStringLiteral("Mirval 10")) ||
        !settings.WriteText(zentaro::kHelpTimeOutKey, QStringLiteral("600000"))) {
        std::fprintf(stderr, "window_screenshots: cannot write the settings\n");
        return 1;
    }

    const std::vector<Step> steps = {
        {[] { return Idle("MainDialog", "programFlashButton"); },
         [] { Click("MainDialog", "programFlashButton"); }},
        {[] {
             const QLabel* status = Part<QLabel>("MainDialog", "statusLabel");
             return Idle("MainDialog", "programFlashButton") && status != nullptr &&
                    status->text().trimmed().endsWith(QLatin1String("OK"));
         },
         [&] {
             Save("MainDialog", folder + QStringLiteral("/window.png"));
             Click("MainDialog", "advancedButton");
         }},
        {[] { return Idle("AdvancedDialog", "readButton"); },
         [] { Click("AdvancedDialog", "readButton"); }},
        {[] { return Idle("AdvancedDialog", "readButton"); },
         [&] {
             Save("AdvancedDialog", folder + QStringLiteral("/advanced.png"));
             Click("AdvancedDialog", "closeButton");
         }},
        {[] { return Shown("AdvancedDialog") == nullptr; }, [] { Shown("MainDialog")->close(); }},
    };
    size_t next = 0;
    QElapsedTimer sinceLastStep;
    sinceLastStep.start();
    QTimer timer;
    // A step waits a moment after the one before, so that the command a click starts has
    // taken the controls before the next step looks at them.
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (next < steps.size() && sinceLastStep.elapsed() > 300 && steps[next].ready()) {
            steps[next++].act();
            sinceLastStep.restart();
        } else if (sinceLastStep.elapsed() > 60'000) {
            std::fprintf(stderr, "window_screenshots: step %zu never became ready\n", next + 1);
            std::_Exit(1);
        }
    });
    timer.start(50);
    return zentaro::RunApplication();
}
