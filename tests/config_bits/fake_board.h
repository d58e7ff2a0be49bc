// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "support/scripted_port.h"

namespace zentaro::test {

// A board for the lock and fuse commands, answering on a ScriptedPort: it keeps the chip's
// configuration bytes, signature and calibration byte and the board's identity, and
// applies what is written to it. Silent fields make the matching command go unanswered.
struct FakeBoard {
    using Bytes = ScriptedPort::Bytes;
    static constexpr uint8_t kCR = 0x0D;

    std::string identifier = "MZR1.35";
    std::string version = "35";
    char type = 'S';
    bool identifierSilent = false, versionSilent = false, typeSilent = false;
    uint8_t lock = 0xFF, low = 0xFF, high = 0xFF, extended = 0xFF;
    std::array<uint8_t, 3> signature{0x1E, 0x97, 0x02};  // in the order sent
    uint8_t calibration = 0xA7;
    bool signatureSilent = false, calibrationSilent = false;

    void Attach(ScriptedPort& port) {
        port.SetResponder([this](const std::string&, int, const Bytes& w) { return Answer(w); });
    }

    // The configuration byte a letter reads ('r', 'F', 'N', 'Q') or writes ('l', 'f', 'n',
    // 'q'), or the one a '.' instruction's second byte names; nullptr for anything else.
    uint8_t* Byte(uint8_t selector) {
        switch (selector) {
            case 'r':
            case 'l':
            case 0xE0:
                return &lock;
            case 'F':
            case 'f':
            case 0xA0:
                return &low;
            case 'N':
            case 'n':
            case 0xA8:
                return &high;
            case 'Q':
            case 'q':
            case 0xA4:
                return &extended;
            default:
                return nullptr;
        }
    }

    Bytes Answer(const Bytes& w) {
        auto text = [](const std::string& t, bool silent) {
            return silent ? Bytes{} : Bytes(t.begin(), t.end());
        };
        uint8_t* byte = Byte(w[0]);
        switch (w[0]) {
            case 'S':
                return text(identifier, identifierSilent);
            case 'V':
                return text(version, versionSilent);
            case 'p':
                return text(std::string(1, type), typeSilent);
            case 's':
                return signatureSilent ? Bytes{} : Bytes(signature.begin(), signature.end());
            case 'h':
                return calibrationSilent ? Bytes{} : Bytes{calibration, kCR};
            case 'r':
            case 'F':
            case 'N':
            case 'Q':
                return {*byte};
            case 'l':
            case 'f':
            case 'n':
            case 'q':
                *byte = w[1];
                return {kCR};
            case ':':
                return {Instruction(w[1], w[2]), kCR};
            case '.':
                if (uint8_t* target = Byte(w[2])) {
                    *target = w[4];
                }
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
        switch (first) {
            case 0x58:
                return second == 0x08 ? high : lock;
            case 0x50:
                return second == 0x08 ? extended : low;
            case 0x38:
                return calibration;
            case 0xAC:  // the older chips' fuse write: five bits in the instruction
                low = static_cast<uint8_t>((low & 0xE0) | (second & 0x1F));
                return 0x00;
            default:
                return 0x00;
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

}  // namespace zentaro::test
