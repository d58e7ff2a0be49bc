// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro {

// What only a window does around a command: its buttons go off while the command runs and
// back on at the end, and queued window events get one chance to run (repaints of the
// disabled buttons and the new status text) before a long loop. Front ends without a window
// use NoWindowChores.
class WindowChores {
public:
    virtual ~WindowChores() = default;
    virtual void EnableControls(bool on) = 0;
    virtual void DrainMessages() = 0;
};

class NoWindowChores final : public WindowChores {
public:
    void EnableControls(bool) override {}
    void DrainMessages() override {}
};

}  // namespace zentaro
