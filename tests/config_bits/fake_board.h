#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/scripted_port.h"

namespace zentaro::testing {

// A board for the lock and fuse commands, answering on a ScriptedPort: it keeps the chip's
// configuration bytes, signature and calibration byte and the board's identity, and
// applies what is written to it. Silent fields make the matching command go unanswered.
struct FakeBoard {
    using Bytes = ScriptedPort::Bytes;
    static constexpr uint8_t kCR = 0x0D;

    std::string identifier = "MZR1.35";
    bool identifierSilent = false;
    std::string version = "35";
    bool versionSilent = false;
    char type = 'S';
    bool typeSilent = false;
    uint8_t lock = 0xFF, low = 0xFF, high = 0xFF, extended = 0xFF;
    std::array<uint8_t, 3> signature{0x1E, 0x97, 0x02};  // in the order sent
    bool signatureSilent = false;
    uint8_t calibration = 0xA7;
    bool calibrationSilent = false;

    void Attach(ScriptedPort& port) {
        port.SetResponder([this](const std::string&, int, const Bytes& w) { return Answer(w); });
    }

    Bytes Answer(const Bytes& w) {
        switch (w[0]) {
            case 'S':
                return identifierSilent ? Bytes{} : Bytes(identifier.begin(), identifier.end());
            case 'V':
                return versionSilent ? Bytes{} : Bytes(version.begin(), version.end());
            case 'p':
                return typeSilent ? Bytes{} : Bytes{static_cast<uint8_t>(type)};
            case 's':
                return signatureSilent ? Bytes{} : Bytes(signature.begin(), signature.end());
            case 'h':
                return calibrationSilent ? Bytes{} : Bytes{calibration, kCR};
            case 'r':
                return {lock};
            case 'F':
                return {low};
            case 'N':
                return {high};
            case 'Q':
                return {extended};
            case 'l':
                lock = w[1];
                return {kCR};
            case 'f':
                low = w[1];
                return {kCR};
            case 'n':
                high = w[1];
                return {kCR};
            case 'q':
                extended = w[1];
                return {kCR};
            case ':':
                return {Instruction(w[1], w[2]), kCR};
            case '.':
                Store(w[2], w[4]);
                return {w[4], kCR};
            case 'e':
                lock = 0xFF;
                return {kCR};
            case 'P':
            case 'L':
                return {kCR};
            default:
                return {};
        }
    }

    uint8_t Instruction(uint8_t first, uint8_t second) {
        if (first == 0x58) {
            return second == 0x08 ? high : lock;
        }
        if (first == 0x50) {
            return second == 0x08 ? extended : low;
        }
        if (first == 0x38) {
            return calibration;
        }
        if (first == 0xAC) {  // the older chips' fuse write: five bits in the instruction
            low = static_cast<uint8_t>((low & 0xE0) | (second & 0x1F));
        }
        return 0x00;
    }

    void Store(uint8_t which, uint8_t value) {
        switch (which) {
            case 0xA0:
                low = value;
                break;
            case 0xA8:
                high = value;
                break;
            case 0xA4:
                extended = value;
                break;
            case 0xE0:
                lock = value;
                break;
            default:
                break;
        }
    }
};

// The writes as short texts: the command letter, then its other bytes in hex
// ("P", "l F9", ":58 00 00", ".AC A0 00 DE").
inline std::vector<std::string> Commands(const ScriptedPort& port) {
    std::vector<std::string> commands;
    for (const ScriptedPort::Bytes& w : port.Writes()) {
        std::string text(1, static_cast<char>(w[0]));
        for (size_t i = 1; i < w.size(); ++i) {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%02X", w[i]);
            text += (i == 1 && (w[0] == ':' || w[0] == '.')) ? "" : " ";
            text += hex;
        }
        commands.push_back(text);
    }
    return commands;
}

}  // namespace zentaro::testing
