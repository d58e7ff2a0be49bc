// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro {

// What only a window does around a command: its buttons go off while the command runs and
// back on at the end. Front ends without a window use NoWindowChores.
class WindowChores {
public:
    virtual ~WindowChores() = default;
    virtual void EnableControls(bool on) = 0;
};

class NoWindowChores final : public WindowChores {
public:
    void EnableControls(bool) override {}
};

}  // namespace zentaro
