// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/resources.h"

#include <QtGlobal>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterZentaroResources() {
    Q_INIT_RESOURCE(zentaro);
}

namespace zentaro {

void LoadResources() {
    static const bool registered = (RegisterZentaroResources(), true);
    (void)registered;
}

}  // namespace zentaro
