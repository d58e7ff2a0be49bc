// SPDX-License-Identifier: GPL-3.0-or-later
// Any host bytes into the simulated board, once in pieces the input chooses and once whole:
// every byte is taken in, replies come only as commands complete, and how the bytes were
// split changes nothing the host could see.
#include <cstdlib>
#include <span>

#include "catalogue/device_table.h"
#include "hostile_port.h"
#include "sim/board.h"

namespace {

using zentaro::sim::Board;
using zentaro::sim::Reply;

void Require(bool property) {
    if (!property) {
        std::abort();
    }
}

// Every reply's bytes, joined. A board that has nothing to say sends no reply at all.
void Append(const std::vector<Reply>& replies, std::vector<uint8_t>& out) {
    for (const Reply& reply : replies) {
        Require(!reply.bytes.empty());
        out.insert(out.end(), reply.bytes.begin(), reply.bytes.end());
    }
}

bool SameVisibleState(const Board& a, const Board& b) {
    return a.ProgrammingMode() == b.ProgrammingMode() && a.Address() == b.Address() &&
           a.SelectedDeviceCode() == b.SelectedDeviceCode() &&
           a.ProgrammerMode() == b.ProgrammerMode() && a.Lamps() == b.Lamps() &&
           a.Count().bytesOut == b.Count().bytesOut && a.Count().exchanges == b.Count().exchanges &&
           a.TargetChip().Config().lock == b.TargetChip().Config().lock &&
           a.TargetChip().Config().lowFuse == b.TargetChip().Config().lowFuse &&
           a.TargetChip().Config().highFuse == b.TargetChip().Config().highFuse &&
           a.TargetChip().Config().extendedFuse == b.TargetChip().Config().extendedFuse;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    zentaro::fuzz::FuzzBytes input(data, size);
    const auto devices = zentaro::DeviceTable();
    const zentaro::DeviceRecord& device = devices[input.Byte() % (devices.size() - 1)];
    zentaro::sim::BoardOptions options;
    const uint8_t flags = input.Byte();
    options.upgradeMode = (flags & 0x01) != 0;
    options.autoIncrement = (flags & 0x02) != 0;
    options.programmerType = (flags & 0x04) != 0 ? 'S' : 'P';
    if ((flags & 0x08) != 0) {
        options.deviceCodes = {static_cast<uint8_t>(device.deviceCode), 0x13};
    }
    if ((flags & 0x10) != 0) {
        options.modes = "?";
    }
    options.level = static_cast<uint8_t>(flags >> 5);
    options.blockSize = input.Word();
    uint32_t splitSeed = input.Word() | 1u;

    size_t hostLength = 0;
    const uint8_t* host = input.Take(size, hostLength);

    Board whole(options, zentaro::sim::Chip(device));
    std::vector<uint8_t> wholeReplies;
    Append(whole.Feed(std::span(host, hostLength)), wholeReplies);

    Board pieces(options, zentaro::sim::Chip(device));
    std::vector<uint8_t> pieceReplies;
    for (size_t fed = 0; fed < hostLength;) {
        splitSeed = splitSeed * 1103515245u + 12345u;
        const size_t piece = std::min<size_t>(hostLength - fed, splitSeed >> 16 & 0x3F);
        const auto replies = pieces.Feed(std::span(host + fed, piece));
        // A reply needs a byte that completed its command.
        Require(replies.size() <= piece);
        Append(replies, pieceReplies);
        fed += piece;
    }

    for (const Board* board : {&whole, &pieces}) {
        Require(board->Count().bytesIn == hostLength && !board->HungUp());
    }
    Require(whole.Count().bytesOut == wholeReplies.size());
    Require(pieceReplies == wholeReplies && SameVisibleState(whole, pieces));
    return 0;
}
