// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>

#include "link/board_protocol.h"

namespace zentaro {

namespace {

constexpr size_t kIdentifierLength = 7;
constexpr unsigned kIdentifyPauseMs = 50;
constexpr unsigned kListPauseMs = 400;

}  // namespace

void BoardProtocol::Wake() {
    // Nothing answers the wake-up, so there is nothing to check.
    static_cast<void>(SendString(std::string(4, static_cast<char>(kEscape)), false));
}

bool BoardProtocol::AwaitIdentifier(std::string& identifier) {
    clock_.SleepMs(kIdentifyPauseMs);
    if (RxQueueCount() < kIdentifierLength) {
        return false;
    }
    std::string received(kIdentifierLength, '\0');
    if (!ReadBlock(reinterpret_cast<uint8_t*>(received.data()), received.size()) ||
        !received.starts_with("MZR")) {
        return false;
    }
    identifier = received;
    return true;
}

bool BoardProtocol::Identify(std::string& identifier) {
    return Send({'S'}) && AwaitIdentifier(identifier);
}

bool BoardProtocol::IdentifyUpgradeMode(std::string& identifier) {
    if (!SendString("\x1b\x1b[MZR-Tools-upgr]", false)) {
        return false;
    }
    if (RxQueueCount() > 0) {
        PurgeReceiveBuffer();
    }
    return Send({kEscape}) && AwaitIdentifier(identifier);
}

bool BoardProtocol::QueryAutoIncrement() {
    uint8_t reply = 0;
    return Send({'a'}) && ReadByte(reply) && reply == 'Y';
}

bool BoardProtocol::QueryBlockSize(uint32_t& size) {
    if (!Send({'b'})) {
        return false;
    }
    clock_.SleepMs(kListPauseMs);
    uint8_t reply[3] = {};
    const long got = ReadUpTo(reply, sizeof reply);
    DropPending();
    if (got <= 0) {
        return false;
    }
    if (reply[0] != 'Y' || (got >= 2 && reply[1] == 0xFF)) {
        size = 0;
        return true;
    }
    if (got < 3) {
        return false;
    }
    size = reply[1] * 256u + reply[2];
    return true;
}

bool BoardProtocol::ReadList(uint8_t letter, ListBuffer& buffer) {
    if (!Send({letter})) {
        return false;
    }
    clock_.SleepMs(kListPauseMs);
    ListBuffer received{};
    long got = ReadUpTo(received.data(), received.size());
    if (got < 0) {
        return false;
    }
    auto filled = static_cast<size_t>(got);
    // A board that pauses inside a long list leaves the rest queued behind the first read.
    const size_t waiting = std::min(RxQueueCount(), received.size() - filled);
    if (waiting > 0) {
        got = ReadUpTo(received.data() + filled, waiting);
        if (got < 0) {
            return false;
        }
    }
    DropPending();
    buffer = received;
    return true;
}

bool BoardProtocol::ReadSupportedDevices(ListBuffer& buffer) {
    return ReadList('t', buffer);
}

bool BoardProtocol::ReadProgrammerModes(ListBuffer& buffer) {
    return ReadList('O', buffer);
}

uint8_t BoardProtocol::ReadProgrammerLevel() {
    uint8_t level = 0;
    if (!Send({'K'}) || !ReadByte(level)) {
        return 0;
    }
    return level;
}

bool BoardProtocol::SetProgrammerMode(uint8_t mode) {
    return SendAcked({'o', mode});
}

bool BoardProtocol::SetStatusLamp(std::optional<StatusLamp> lamp) {
    for (uint8_t off : {uint8_t{1}, uint8_t{2}, uint8_t{0}}) {
        const bool missingBefore = replyMissing_;
        static_cast<void>(SendAcked({'y', off}));
        // The answers to switching off do not matter, but a board that answered neither the
        // command before nor this one has stopped listening: each further lamp exchange would
        // only hold the window for another full read time-out.
        if (missingBefore && replyMissing_) {
            return false;
        }
    }
    return !lamp || SendAcked({'x', static_cast<uint8_t>(*lamp)});
}

bool BoardProtocol::ReadSoftwareVersion(char& major, char& minor) {
    uint8_t reply[2] = {};
    if (!Send({'V'}) || !ReadBlock(reply, 2)) {
        return false;
    }
    major = static_cast<char>(reply[0]);
    minor = static_cast<char>(reply[1]);
    return true;
}

bool BoardProtocol::ReadProgrammerType(char& type) {
    uint8_t reply = 0;
    if (!Send({'p'}) || !ReadByte(reply)) {
        return false;
    }
    type = static_cast<char>(reply);
    return true;
}

}  // namespace zentaro
