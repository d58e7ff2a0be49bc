// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>

class QWidget;

namespace zentaro {

class AdvancedOptions;
class WindowThreadPanel;

// Shows the advanced options (lock and fuse bits, signature, board identity) modally. The
// caller has selected the device on the board just before. With the link's panel, the window
// appears at once, its exchanges with the board run beside it, and Esc or closing it meanwhile
// stops them; without, the board is asked before the window appears.
void RunAdvancedOptionsDialog(QWidget* parent, std::unique_ptr<AdvancedOptions> options,
                              WindowThreadPanel* linkPanel = nullptr);

}  // namespace zentaro
