// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

#include "config_bits/flows.h"
#include "config_bits/layouts.h"
#include "session/session.h"
#include "ui/board_runner.h"

class QPushButton;

namespace Ui {
class AdvancedDialog;
}

namespace zentaro {

// The advanced options window (lock and fuse bits, signature, board identity): a thin view of
// the session's lock and fuse view. It shows the device's controls at once and asks the board
// once it is on the screen; every exchange runs beside the window, and Esc or closing it
// meanwhile asks the exchange to stop. The rules that follow a selection run on the window's
// own copy of the controls, which goes to the session with every read, write and erase.
class AdvancedDialog : public QDialog {
    Q_OBJECT

public:
    AdvancedDialog(QWidget* parent, const WindowBoard& board);
    ~AdvancedDialog() override;

    // Runs the window modally; the session's lock and fuse view is closed at the end.
    static void Run(QWidget* parent, const WindowBoard& board);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Render();
    void Capture();
    // Takes the widgets' values, applies a rule to the controls and shows the result.
    template <typename Rule>
    void Change(Rule rule);
    // A read, write or erase of the session's lock and fuse view, given the controls.
    using Operation = std::function<SessionResult(const ControlState&)>;
    void RunOperation(QPushButton* button, const Operation& operation);
    // Runs a session command on the board's worker and shows the state it leaves.
    void Exchange(std::function<SessionResult()> command);

    std::unique_ptr<Ui::AdvancedDialog> ui_;
    Session& session_;
    DeviceLayout layout_;
    AdvancedState state_;
    bool opened_ = false;
    BoardRunner runner_;  // last: a command still running ends before the rest goes
};

}  // namespace zentaro
