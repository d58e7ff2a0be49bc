// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QTemporaryDir>
#include <memory>
#include <string>
#include <vector>

#include "common/clock.h"
#include "sim/sim_server.h"
#include "support/fake_clock.h"
#include "support/in_memory_board.h"
#include "support/scripted_board.h"
#include "support/scripted_port.h"
#include "ui/main_dialog.h"
#include "ui/main_dialog_probe.h"
#include "ui/modal_answerer.h"
#include "ui/qt_printers.h"
#include "ui/settings_store.h"

namespace zentaro::test {

// A fresh per-user settings store in a temporary configuration folder for every test, and
// the main window started against a scripted board or the simulated one.
class DialogTest : public ::testing::Test {
protected:
    DialogTest();
    ~DialogTest() override;

    QString ConfigHome() const { return home_.path(); }
    QString SettingsFile() const;
    QString TempPath(const QString& name) const { return home_.filePath(name); }
    void WriteSettingsFile(const QByteArray& ini) const;
    // The store read directly, as another program would.
    std::unique_ptr<QSettings> RawSettings() const;

    // The window against `board` (instant replies, no real pauses). Initialise's result.
    bool StartScripted();
    // The window against the simulated board with these zentaro-sim options, in memory and
    // on virtual time.
    bool StartInMemory(const std::vector<std::string>& options);
    // The same on a pty, for what needs the board's real pace.
    bool StartSimulated(const std::vector<std::string>& options);

    MainDialogProbe Probe() const { return MainDialogProbe(*dialog); }
    // The window's command has ended and the window has taken its result in.
    void WaitIdle() const;
    void Click(const char* button) const;

    template <class Widget>
    Widget* Find(const char* name) const {
        Widget* widget = dialog->findChild<Widget*>(QString::fromUtf8(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }

    ScriptedBoard board;
    ScriptedPort* port = nullptr;  // owned by the window's link
    SettingsStore store;
    ModalAnswerer answerer;
    std::unique_ptr<InMemoryBoard> memoryBoard;
    std::unique_ptr<sim::SimServer> simulator;
    std::unique_ptr<MainDialog> dialog;

private:
    QTemporaryDir home_;
    FakeClock fakeClock_;
    SystemClock systemClock_;
};

}  // namespace zentaro::test
