// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <functional>

namespace zentaro {

// What the link meets on its way that the user is to hear about at that moment, although the
// command goes on or fails as usual. The layer above decides how to say it.
enum class LinkEvent {
    StaleRepliesFlushed,  // bytes were waiting before programming mode: they were dropped
    ProgModeRefused,      // the board would not start programming mode
    ExitUnsupported,      // the board has no command to end its programming session
};

using LinkEventSink = std::function<void(LinkEvent)>;

}  // namespace zentaro
