// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

namespace zentaro::test {

// A new pty's master side with its slave unlocked (ptsname names it); -1 when there is none.
inline int OpenPtyMaster() {
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && (::grantpt(master) != 0 || ::unlockpt(master) != 0)) {
        ::close(master);
        return -1;
    }
    return master;
}

}  // namespace zentaro::test
