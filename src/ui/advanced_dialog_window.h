// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <cstdint>
#include <memory>

#include "catalogue/device_table.h"
#include "config_bits/flows.h"
#include "link/low_io.h"

class QComboBox;
class QCheckBox;
class QPushButton;

namespace Ui {
class AdvancedDialog;
}

namespace zentaro {

class WindowThreadPanel;

// The advanced options window: a thin view of AdvancedOptions. It renders the options'
// state into the widgets and writes the user's selections and ticks back before every rule
// and operation runs. Constructing it runs the opening sequence against the board, unless
// linkPanel is given: then the window opens first and the sequence runs once it is shown.
// With linkPanel, every exchange with the board runs beside the window, and Esc or a close
// meanwhile asks it to stop.
class AdvancedDialog : public QDialog {
    Q_OBJECT

public:
    AdvancedDialog(QWidget* parent, CLowIO& link, const DeviceRecord& device,
                   uint8_t programmerLevel);
    AdvancedDialog(QWidget* parent, std::unique_ptr<AdvancedOptions> options,
                   WindowThreadPanel* linkPanel = nullptr);
    ~AdvancedDialog() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QComboBox* ComboFor(Control id) const;
    QCheckBox* BoxFor(Control id) const;
    void Render();
    void Capture();
    // Takes the widgets' values, applies a rule to the controls and shows the result.
    template <typename Rule>
    void Change(Rule rule);
    void RunOperation(QPushButton* button, void (AdvancedOptions::*operation)());
    // Runs an operation of the options, beside the window when there is a linkPanel.
    void Exchange(void (AdvancedOptions::*operation)());
    void OpenWithBoard();

    std::unique_ptr<Ui::AdvancedDialog> ui_;
    std::unique_ptr<AdvancedOptions> options_;
    WindowThreadPanel* linkPanel_ = nullptr;
    bool opened_ = false;
};

}  // namespace zentaro
