// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/low_io.h"

namespace zentaro {

CLowIO::CLowIO(std::unique_ptr<SerialPort> port, Clock& clock, LinkEventSink onEvent)
    : wire_(std::move(port), clock), onEvent_(std::move(onEvent)) {}

void CLowIO::Tell(LinkEvent event) {
    if (onEvent_) {
        onEvent_(event);
    }
}

bool CLowIO::QueryBlockSize() {
    uint32_t size = 0;
    if (!wire_.QueryBlockSize(size)) {
        return false;
    }
    blockSize_ = size;
    return true;
}

bool CLowIO::SelectDevice(DeviceRecord record, uint8_t level) {
    DeviceProfile profile = ProfileFor(record);
    profile.record = record;
    return SelectDevice(profile, level);
}

bool CLowIO::SelectDevice(const DeviceProfile& profile, uint8_t level) {
    profile_ = profile;
    const DeviceRecord& record = profile.record;
    if (!wire_.SelectDevice(record, level)) {
        return false;
    }
    flashSize_ = record.flashSize;
    eepromSize_ = record.eepromSize;
    wordWide_ = record.wordWideFlash != 0;
    return true;
}

bool CLowIO::EnterProgMode() {
    if (inProgMode_) {
        return true;
    }
    if (wire_.RxQueueCount() > 0) {
        Tell(LinkEvent::StaleRepliesFlushed);
        wire_.PurgeReceiveBuffer();
    }
    switch (wire_.EnterProgMode()) {
        case ProgModeReply::None:
            return false;
        case ProgModeReply::Refused:
            Tell(LinkEvent::ProgModeRefused);
            // Deliberately unchecked: the link forgets programming mode whatever the board
            // answers.
            static_cast<void>(LeaveProgMode());
            return false;
        case ProgModeReply::Entered:
            break;
    }
    inProgMode_ = true;
    return true;
}

bool CLowIO::LeaveProgMode() {
    // Cleared even without an acknowledgement: a stale flag would suppress the next 'P',
    // while an extra 'P' to a board already programming is harmless.
    inProgMode_ = false;
    return wire_.LeaveProgMode();
}

bool CLowIO::ExitProgramming() {
    switch (wire_.ExitProgramming()) {
        case ExitReply::None:
            return false;
        case ExitReply::Unsupported:
            Tell(LinkEvent::ExitUnsupported);
            return false;
        case ExitReply::Done:
            break;
    }
    inProgMode_ = false;
    return true;
}

bool CLowIO::ChipErase() {
    if (!EnterProgMode() || !wire_.ChipErase()) {
        return false;
    }
    return !profile_.erasedByLeavingProgrammingMode || LeaveProgMode();
}

}  // namespace zentaro
