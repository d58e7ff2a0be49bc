#pragma once

#include <QDialog>
#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

#include "catalogue/device_table.h"
#include "common/clock.h"
#include "common/panel.h"
#include "link/low_io.h"
#include "link/serial_port.h"
#include "operations/memory_commands.h"

class QAction;

namespace Ui {
class MainDialog;
}

namespace zentaro {

class SettingsStore;
class StatusLine;

// The program's only window: finds the board, offers the chips it supports, keeps the chosen
// file and runs the memory commands and the advanced options. It owns the link and the
// memory image, and it is the Panel through which the link and the commands talk to the user.
class MainDialog : public QDialog, public Panel {
    Q_OBJECT
public:
    MainDialog(SettingsStore& settings, std::unique_ptr<SerialPort> port, Clock& clock,
               QWidget* parent = nullptr);
    ~MainDialog() override;

    // Finds the board and fills the window. False when no board answered; the user has
    // been told and the window is not to be shown.
    bool Initialise();

    const QString& FileName() const { return fileName_; }
    const std::vector<uint8_t>& Image() const { return image_; }
    // Null name when the device list is empty.
    const DeviceRecord& SelectedDevice() const { return device_; }
    uint8_t ProgrammerLevel() const { return programmerLevel_; }
    uint8_t ProgrammerTypeMask() const { return programmerTypeMask_; }
    const CommandSwitches& Switches() const { return switches_; }
    bool ProgrammingFlag() const { return programming_; }
    const StatusLine& Status() const { return *status_; }
    QAction& AboutAction() const { return *aboutAction_; }

    // Panel.
    void Notice(const std::string& text) override;
    bool AskYesNo(const std::string& text, bool questionIcon) override;
    void SetStatus(const std::string& text) override;
    void AppendStatus(const std::string& text) override;
    void StartStatusTimeout() override;
    void EnableControls(bool on) override;
    void DrainMessages() override;
    std::string Browse() override;
    void SetProgressRange(int max) override;
    void SetProgressPosition(int position) override;
    void SetWaitCursor(bool on) override;

public slots:
    // Leaves programming mode, or checks that the board is back and enables the commands.
    // Its button is hidden: this is reached only as a command sent to the window.
    void LeaveOrRejoin();
    void ShowAbout();

private:
    void ChooseFile();
    void ShowFileName();
    void FillProgrammerTypes();
    void ApplyProgrammerType();
    void FillDevicesFromTable();
    void RestoreDeviceSelection();
    void ApplyDevice(const DeviceRecord& record);
    void DeviceActivated(int index);
    void ProgrammerTypeChanged();
    void OpenAdvancedOptions();
    void RunCommand(bool (*command)(CommandContext&));
    void EnableFlashControls(bool on);
    void EnableEepromControls(bool on);
    void EnableCommonControls(bool on);
    bool HasDevice() const { return device_.name != nullptr; }

    std::unique_ptr<Ui::MainDialog> ui_;
    SettingsStore& settings_;
    Clock& clock_;
    std::unique_ptr<SerialPort> port_;
    std::unique_ptr<CLowIO> link_;
    std::unique_ptr<StatusLine> status_;
    QAction* aboutAction_ = nullptr;

    std::vector<uint8_t> image_;
    DeviceRecord device_;
    uint8_t programmerLevel_ = 0;
    // All programmer types until the board names its mode.
    uint8_t programmerTypeMask_ = kAllProgrammerTypes;
    QString fileName_;
    CommandSwitches switches_;
    bool programming_ = false;
    bool commandRunning_ = false;
    bool waitCursor_ = false;
};

}  // namespace zentaro
