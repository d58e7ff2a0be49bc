// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace zentaro {

// Registers the program's embedded resources (the icon). They live in a static library,
// so they must be registered before the first use; further calls do nothing.
void LoadResources();

}  // namespace zentaro
