// SPDX-License-Identifier: GPL-3.0-or-later
// Programs and verifies a full "Mirval 10" flash through the simulated board pacing its line
// at 115200 baud, in block mode and in single-word mode with auto-increment, and compares
// the wall time with what the wire and the protocol's fixed pauses need at the least. Also
// times loading a 128 KiB image from its HEX file.
//
//   operations_bench [--quick] [--size BYTES]
//
// --quick programs only the first 8 KiB in single-word mode (the full run takes about a
// minute there); --size limits the image of both runs.

#include <stdlib.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/counting_clock.h"
#include "bench/plain_host.h"
#include "bench/workload.h"
#include "common/keeping_panel.h"
#include "images/hex_reader.h"
#include "link/posix/posix_serial_port.h"
#include "sim/sim_server.h"

namespace zentaro {
namespace {

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void TimeHexLoad(const std::string& path, size_t size) {
    std::vector<uint8_t> image(size, 0xFF);
    constexpr int kRounds = 5;
    double best = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        const auto start = std::chrono::steady_clock::now();
        std::ifstream file(path);
        HexLoadState state;
        const bool ok = IsHexFile(file) && LoadHexImage(file, image, state);
        best = std::min(best, Since(start));
        if (!ok) {
            std::printf("HEX load failed\n");
            return;
        }
    }
    std::printf("\nLoading the %zu-byte image from its HEX file: %.1f ms (best of %d)\n", size,
                best * 1000, kRounds);
}

struct Run {
    const char* label;
    std::vector<std::string> boardOptions;
    size_t size;
};

bool Measure(const Run& run, const std::vector<uint8_t>& data, const ScratchFolder& folder) {
    const std::string home = (folder.path / "home").string();
    const std::string hexPath = (folder.path / "image.hex").string();
    std::vector<uint8_t> part(data.begin(), data.begin() + static_cast<long>(run.size));
    std::filesystem::remove(hexPath);
    if (!WriteHexFile(hexPath, part)) {
        std::printf("%s: cannot write %s\n", run.label, hexPath.c_str());
        return false;
    }

    std::vector<std::string> options = {"--chip", kBenchChip, "--pace", "--baud",
                                        std::to_string(kBenchBaud)};
    options.insert(options.end(), run.boardOptions.begin(), run.boardOptions.end());
    sim::SimServer board(options, home);
    if (!board.Start()) {
        std::printf("%s: %s\n", run.label, board.Error().c_str());
        return false;
    }
    KeepingPanel panel(true);
    CountingClock clock;
    PlainHost host(std::make_unique<PosixSerialPort>(PortNames{home, {}}), panel, clock);
    if (!host.Connect()) {
        std::printf("%s: no board\n", run.label);
        return false;
    }

    const sim::Counters before = board.Count();
    clock.pausedMs = 0;
    const double cpuStart = ThreadCpuSeconds();
    const auto start = std::chrono::steady_clock::now();
    const bool ok = host.ProgramFlash(hexPath);
    const double wall = Since(start);
    const double cpu = ThreadCpuSeconds() - cpuStart;
    const sim::Counters after = board.Count();

    const bool programmed = ok && std::equal(part.begin(), part.end(), board.Flash().begin());
    const uint64_t in = after.bytesIn - before.bytesIn;
    const uint64_t out = after.bytesOut - before.bytesOut;
    const double wire = static_cast<double>(in + out) * 10.0 / kBenchBaud;
    const double pauses = static_cast<double>(clock.pausedMs) / 1000.0;
    std::printf("%-22s %7zu %8.2f %7.2f %10llu %10llu %9llu %8.2f %6.2f %8.2f %6.3f  %s\n",
                run.label, run.size, wall, cpu, static_cast<unsigned long long>(in),
                static_cast<unsigned long long>(out),
                static_cast<unsigned long long>(after.exchanges - before.exchanges), wire, pauses,
                wire + pauses, wall / (wire + pauses),
                programmed ? panel.status.c_str() : "FAILED");
    return programmed;
}

int Main(int argc, char** argv) {
    size_t size = 131072;
    bool quick = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            quick = true;
        } else if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::strtoul(argv[++i], nullptr, 0);
        } else {
            std::printf("usage: %s [--quick] [--size BYTES]\n", argv[0]);
            return 2;
        }
    }
    size = std::min<size_t>(size, 131072) & ~size_t{15};
    if (size == 0) {
        std::printf("the size must be at least 16 bytes\n");
        return 2;
    }
    const size_t singleSize = quick ? std::min<size_t>(size, 8192) : size;
    const std::vector<uint8_t> data = TestImage(size);
    ScratchFolder folder;

    std::printf("Program + verify \"%s\" through the simulated board at %d baud\n\n", kBenchChip,
                kBenchBaud);
    std::printf("%-22s %7s %8s %7s %10s %10s %9s %8s %6s %8s %6s  %s\n", "mode", "bytes", "wall s",
                "cpu s", "host->brd", "brd->host", "exchanges", "wire s", "pause", "bound s",
                "ratio", "status");
    const Run runs[] = {
        {"block 256", {"--block-size", "256"}, size},
        {"single, auto-increment", {"--block-size", "0", "--auto-increment", "Y"}, singleSize},
    };
    bool ok = true;
    for (const Run& run : runs) {
        ok = Measure(run, data, folder) && ok;
    }

    const std::string hexPath = (folder.path / "load.hex").string();
    if (WriteHexFile(hexPath, TestImage(131072))) {
        TimeHexLoad(hexPath, 131072);
    }
    std::printf("\nbound = (host->board + board->host) x 10 / baud + the fixed pauses slept\n");
    return ok ? 0 : 1;
}

}  // namespace
}  // namespace zentaro

int main(int argc, char** argv) {
    return zentaro::Main(argc, argv);
}
