// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "common/panel.h"
#include "link/link_events.h"

namespace zentaro {

// Tells the user on panel what the link meets while a command runs, at the moment it meets it.
LinkEventSink NoticesOn(Panel& panel);

}  // namespace zentaro
