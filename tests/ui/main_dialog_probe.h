// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/main_dialog.h"

namespace zentaro {

// What the window keeps without showing it, for the tests to check.
class MainDialogProbe {
public:
    explicit MainDialogProbe(MainDialog& dialog) : dialog_(dialog) {}

    const QString& FileName() const { return dialog_.fileName_; }
    const std::vector<uint8_t>& Image() const { return dialog_.session_->Image(); }
    // Null name when the device list is empty.
    const DeviceRecord& SelectedDevice() const { return dialog_.session_->Device(); }
    uint8_t ProgrammerLevel() const { return dialog_.session_->Listing().programmerLevel; }
    uint8_t ProgrammerTypeMask() const { return dialog_.session_->Listing().programmerTypeMask; }
    const CommandSwitches& Switches() const { return dialog_.switches_; }
    bool ProgrammingFlag() const { return dialog_.programming_; }
    QAction& AboutAction() const { return *dialog_.aboutAction_; }
    WindowBoard Board() const { return dialog_.Board(); }

private:
    MainDialog& dialog_;
};

}  // namespace zentaro
