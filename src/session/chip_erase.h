// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session/session.h"

namespace zentaro {

// Erases the selected device's chip and leaves programming mode; false without a device,
// while a command runs, or when the board does not acknowledge the erase.
[[nodiscard]] bool EraseChip(Session& session);

}  // namespace zentaro
