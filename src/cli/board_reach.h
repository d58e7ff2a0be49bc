// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "session/session.h"

namespace zentaro::cli {

// How reaching a board or its device went; exit is the command line's status for it.
struct Reach {
    int exit = 0;
    std::string message;             // why not, when exit is not 0
    std::vector<std::string> lines;  // what the user was shown meanwhile
    std::string device;              // the device selected

    bool Ok() const { return exit == 0; }
};

// Finds the board (port empty: the scan over COM1 ... COM4) and learns what it offers.
Reach ReachBoard(Session& session, const std::string& port, std::optional<int> baud);
// Selects the device of that name, which the board must offer; with an empty name, the one
// device the board offers.
Reach SelectOffered(Session& session, const std::string& name);

}  // namespace zentaro::cli
