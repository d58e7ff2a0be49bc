// SPDX-License-Identifier: GPL-3.0-or-later
#include "operations/link_notices.h"

namespace zentaro {

namespace {

const char* NoticeText(LinkEvent event) {
    switch (event) {
        case LinkEvent::StaleRepliesFlushed:
            return "Flushing";
        case LinkEvent::ProgModeRefused:
            return "Can't enter programming mode!";
        case LinkEvent::ExitUnsupported:
            return "Exit programming not supported on this programmer";
    }
    return "";
}

}  // namespace

LinkEventSink NoticesOn(Panel& panel) {
    return [&panel](LinkEvent event) { panel.Notice(NoticeText(event)); };
}

}  // namespace zentaro
