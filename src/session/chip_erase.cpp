// SPDX-License-Identifier: GPL-3.0-or-later
#include "session/chip_erase.h"

namespace zentaro {

bool EraseChip(Session& session) {
    if (session.Busy() || !session.HasDevice()) {
        return false;
    }
    CLowIO& link = session.Link();
    const bool erased =
        link.SelectDevice(session.Device(), session.Listing().programmerLevel) && link.ChipErase();
    if (link.InProgMode()) {
        // Deliberately unchecked: the link forgets programming mode whatever the board answers.
        static_cast<void>(link.LeaveProgMode());
    }
    return erased;
}

}  // namespace zentaro
