// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/scripted_board.h"

namespace zentaro::test {

namespace {

constexpr uint8_t kCR = 0x0D;
constexpr uint8_t kEscape = 0x1B;

ScriptedPort::Bytes Terminated(const std::vector<uint8_t>& bytes) {
    ScriptedPort::Bytes reply(bytes.begin(), bytes.end());
    reply.push_back(0);
    return reply;
}

}  // namespace

ScriptedPort::Responder ScriptedBoard::Responder() {
    return [this](const std::string&, int, const ScriptedPort::Bytes& written) {
        using Bytes = ScriptedPort::Bytes;
        if (written.empty()) {
            return Bytes{};
        }
        switch (written[0]) {
            case 'S':
                return present ? Bytes{'M', 'Z', 'R', '-', 'T', 'S', 'T'} : Bytes{};
            case 'a':
                return Bytes{'Y'};
            case 't':
                return Terminated(codes);
            case 'O':
                return Terminated(std::vector<uint8_t>(modes.begin(), modes.end()));
            case 'K':
                return Bytes{level};
            case 'b':
                return Bytes{'Y', 0x01, 0x00};
            case 'E':
                return Bytes{exitSupported ? kCR : uint8_t{'?'}};
            case 'o':
            case 'P':
            case 'L':
            case 'x':
            case 'y':
                return Bytes{kCR};
            case kEscape:
                // The select-device block is acknowledged; wake-up probes and the
                // upgrade-mode handshake get no answer.
                return written.size() > 4 && written[3] == 'T' ? Bytes{kCR} : Bytes{};
            default:
                return Bytes{'?'};
        }
    };
}

}  // namespace zentaro::test
