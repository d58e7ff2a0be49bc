// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/board_reach.h"

#include <algorithm>

#include "cli/board_job.h"

namespace zentaro::cli {

Reach ReachBoard(Session& session, const std::string& port, std::optional<int> baud) {
    const SessionResult found = port.empty() ? session.Scan() : session.Open(port, baud);
    if (!found.Ok()) {
        return {.exit = kExitNoBoard,
                .message = kNoProgrammerText,
                .lines = found.notices,
                .device = {}};
    }
    static_cast<void>(session.LearnBoard());  // the listing tells what the board offered
    return {};
}

Reach SelectOffered(Session& session, const std::string& name) {
    const std::vector<std::string>& offered = session.Listing().devices;
    Reach reach{.exit = kExitUsage, .message = {}, .lines = {}, .device = name};
    if (name.empty()) {
        if (offered.size() != 1) {
            reach.message = "the board offers " + std::to_string(offered.size()) +
                            " devices: choose one with --device (see: devices)";
            return reach;
        }
        reach.device = offered.front();
    } else if (std::find(offered.begin(), offered.end(), name) == offered.end()) {
        reach.message = "the board does not offer \"" + name + "\" (see: devices)";
        return reach;
    }
    if (!session.SelectDevice(reach.device).Ok()) {
        reach.exit = kExitFailed;
        reach.message = "cannot select \"" + reach.device + "\"";
        return reach;
    }
    reach.exit = kExitOk;
    return reach;
}

}  // namespace zentaro::cli
