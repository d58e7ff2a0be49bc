// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "catalogue/device_table.h"
#include "common/clock.h"
#include "common/panel.h"
#include "link/serial_port.h"
#include "operations/memory_commands.h"
#include "session/session.h"
#include "session/session_worker.h"
#include "ui/board_runner.h"
#include "ui/window_thread_panel.h"

class QAction;

namespace Ui {
class MainDialog;
}

namespace zentaro {

class SettingsStore;
class StatusLine;

// The program's only window: a view of the session that finds the board, offers the chips it
// supports and runs the memory commands and the advanced options. It keeps the chosen file,
// and it is the Panel through which the commands talk to the user.
// Commands run on the board's worker while the window stays alive; what they show reaches
// the window through a WindowThreadPanel.
class MainDialog : public QDialog, public Panel {
    Q_OBJECT
public:
    MainDialog(SettingsStore& settings, std::unique_ptr<SerialPort> port, Clock& clock,
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // Finds the board and fills the window. False when no board answered; the user has
    // been told and the window is not to be shown.
    [[nodiscard]] bool Initialise();

    const StatusLine& Status() const { return *status_; }
    // A command runs on the board, or the window has not yet taken its ending in.
    bool Busy() const { return runner_->Busy(); }

    // Panel.
    void Notice(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool questionIcon) override;
    bool AskBeforeHarm(const std::string& text) override;
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StartStatusTimeout() override;
    void EnableControls(bool on) override;
    std::string Browse() override;
    void StartProgress(int max) override;
    void SetProgressPosition(int position) override;
    void EndProgress() override;

    // The bar's range, never the busy animation of 0 … 0; the wait cursor over the program.
    void SetProgressRange(int max);
    void SetWaitCursor(bool on);

public slots:
    // Leaves programming mode, or checks that the board is back and enables the commands.
    // Its button is hidden: this is reached only as a command sent to the window.
    void LeaveOrRejoin();
    void ShowAbout();

private:
    // The tests' view of what the window keeps and does not show.
    friend class MainDialogProbe;

    void ChooseFile();
    void ShowFileName();
    void ShowDeviceList();
    void RestoreDeviceSelection();
    void ApplyDevice(const std::string& name);
    void DeviceActivated(int index);
    void ProgrammerTypeChanged(int index);
    void OpenAdvancedOptions();
    void RunCommand(MemoryCommand command);
    void EnableFlashControls(bool on);
    void EnableEepromControls(bool on);
    void EnableCommonControls(bool on);
    bool HasDevice() const { return session_->HasDevice(); }
    WindowBoard Board() { return {*session_, *worker_, threadPanel_}; }

    std::unique_ptr<Ui::MainDialog> ui_;
    SettingsStore& settings_;
    WindowThreadPanel threadPanel_;
    std::unique_ptr<Session> session_;
    std::unique_ptr<SessionWorker> worker_;
    std::unique_ptr<BoardRunner> runner_;
    std::unique_ptr<StatusLine> status_;
    QAction* aboutAction_ = nullptr;

    QString fileName_;
    CommandSwitches switches_;
    bool programming_ = false;
    bool waitCursor_ = false;
};

}  // namespace zentaro
