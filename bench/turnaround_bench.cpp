// SPDX-License-Identifier: GPL-3.0-or-later
// Sets Zentaro beside the least a host can do on a board without block transfers, where every
// word is a command and a reply of its own, against the simulated board pacing its line at
// 115200 baud. The same erase, program and verify runs three times, each on a fresh board: by a
// bare host (write(), then a blocking read(), nothing else), by the operations alone on one
// thread, and from the main window (the command on a thread of its own, status and progress
// posted to the window, shown offscreen without a display). For each it measures the gap (reply
// received -> next command written), the exchange (command written -> reply received), their sum
// (the turnaround) and the gaps over 1 ms, and sets Zentaro's against the bare host's. Cycles that
// hold one of the protocol's own pauses are left out.
//
//   turnaround_bench [--size BYTES] [--rounds N]
//
// (default 8192 bytes of program flash, 3 rounds; each round runs every host once, on a fresh
// board, starting with the next host each time; the figures cover all rounds)

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "bench/bare_host.h"
#include "bench/plain_host.h"
#include "bench/timed_port.h"
#include "bench/window_driver.h"
#include "bench/workload.h"
#include "link/posix/posix_serial_port.h"
#include "sim/sim_server.h"
#include "ui/main_dialog.h"
#include "ui/settings_store.h"

namespace zentaro {
namespace {

// The turnaround may be this much longer than the bare host's, and it may stall this much
// more often, before the host's share of an exchange is worth looking at.
constexpr double kMeanLimit = 1.25;
constexpr double kStallFactor = 1.5;
constexpr long kStallAllowance = 30;

struct Work {
    std::string home;
    std::string hexPath;
    std::vector<uint8_t> image;
};

// Runs the work against the board, logging its exchanges from the start of the command on.
// Returns what went wrong, or nothing.
using Host = std::string (*)(const Work&, sim::SimServer&, ExchangeLog&);

std::unique_ptr<SerialPort> TimedPosixPort(const Work& work, ExchangeLog& log) {
    return std::make_unique<TimedPort>(std::make_unique<PosixSerialPort>(PortNames{work.home, {}}),
                                       log);
}

std::string Bare(const Work& work, sim::SimServer& board, ExchangeLog& log) {
    log.Begin();
    std::string failure = BareProgramAndVerify(board.SlavePath(), work.image,
                                               FindDeviceByName(kBenchChip).flashPageSize, log);
    log.End();
    return failure;
}

std::string Operations(const Work& work, sim::SimServer&, ExchangeLog& log) {
    KeepingPanel panel(true);
    PausingClock clock(log);
    PlainHost host(TimedPosixPort(work, log), panel, clock);
    if (!host.Connect()) {
        return "no board";
    }
    log.Begin();
    const bool ok = host.ProgramFlash(work.hexPath);
    log.End();
    return ok ? std::string() : panel.status;
}

std::string Window(const Work& work, sim::SimServer&, ExchangeLog& log) {
    PausingClock clock(log);
    SettingsStore settings;
    MainDialog dialog(settings, TimedPosixPort(work, log), clock);
    if (!dialog.Initialise()) {
        return "no board";
    }
    log.Begin();
    ProgramFlashFromWindow(dialog);
    log.End();
    return {};
}

struct Contender {
    const char* name;
    Host host;
    ExchangeLog log;
};

bool Measure(Contender& contender, const Work& work) {
    sim::SimServer board(SingleWordBoardOptions(), work.home);
    if (!board.Start()) {
        std::printf("%s: %s\n", contender.name, board.Error().c_str());
        return false;
    }
    std::string failure = contender.host(work, board, contender.log);
    const std::vector<uint8_t> flash = board.Flash();
    if (failure.empty() && !std::equal(work.image.begin(), work.image.end(), flash.begin())) {
        failure = "the flash differs from the image";
    }
    if (!failure.empty()) {
        std::printf("%s: %s\n", contender.name, failure.c_str());
    }
    return failure.empty();
}

// A turnaround: the host's gap from a reply to the next command, and that command's exchange.
double TurnaroundUs(const TurnaroundFigures& f) {
    return f.meanUs + f.meanExchangeUs;
}

void Print(std::span<const Contender> contenders) {
    std::printf("%-11s %9s %10s %10s %10s %10s %10s %10s %6s\n", "host", "exchanges", "gap mean",
                "median", "p99", "max", "exchange", "turnaround", ">1 ms");
    for (const Contender& contender : contenders) {
        const TurnaroundFigures f = contender.log.Figures();
        std::printf("%-11s %9zu %7.1f us %7.1f us %7.1f us %7.0f us %7.1f us %7.1f us %6ld\n",
                    contender.name, f.exchanges, f.meanUs, f.medianUs, f.p99Us, f.maxUs,
                    f.meanExchangeUs, TurnaroundUs(f), f.stalls);
    }
    const TurnaroundFigures bare = contenders.front().log.Figures();
    std::printf(
        "\nagainst the bare host (limits: turnaround %.2f x, gaps over 1 ms %.1f x + %ld)\n",
        kMeanLimit, kStallFactor, kStallAllowance);
    for (const Contender& contender : contenders.subspan(1)) {
        const TurnaroundFigures f = contender.log.Figures();
        const double ratio = TurnaroundUs(f) / TurnaroundUs(bare);
        const double stallLimit = kStallFactor * static_cast<double>(bare.stalls) + kStallAllowance;
        const bool within = ratio <= kMeanLimit && static_cast<double>(f.stalls) <= stallLimit;
        std::printf("%-11s turnaround %.3f x (gap %+.1f us), over 1 ms %ld of at most %.0f  %s\n",
                    contender.name, ratio, f.meanUs - bare.meanUs, f.stalls, stallLimit,
                    within ? "within" : "OVER");
    }
}

int Main(int argc, char** argv) {
    size_t size = 8192;
    unsigned long rounds = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::strtoul(argv[++i], nullptr, 0) & ~size_t{15};
        } else if (std::strcmp(argv[i], "--rounds") == 0 && i + 1 < argc) {
            rounds = std::max(std::strtoul(argv[++i], nullptr, 0), 1ul);
        } else {
            std::printf("usage: %s [--size BYTES] [--rounds N]\n", argv[0]);
            return 2;
        }
    }
    if (size == 0 || size > FindDeviceByName(kBenchChip).flashSize) {
        std::printf("the size must lie between 16 bytes and the chip's flash\n");
        return 2;
    }
    QTemporaryDir home;
    Work work{home.path().toStdString(), home.filePath("image.hex").toStdString(), TestImage(size)};
    if (!WriteHexFile(work.hexPath, work.image) || !UseScratchSettings(home.path(), work.hexPath)) {
        std::printf("cannot write %s or the window's settings\n", work.hexPath.c_str());
        return 1;
    }
    std::printf(
        "Erase, program and verify %zu bytes of \"%s\" word by word, %d baud, paced, "
        "%lu rounds\n\n",
        size, kBenchChip, kBenchBaud, rounds);
    Contender contenders[] = {
        {"bare host", Bare, {}}, {"operations", Operations, {}}, {"window", Window, {}}};
    constexpr size_t kCount = std::size(contenders);
    // Each round starts with the next host, so that a machine getting busier or quieter during
    // the run weighs on all three alike.
    for (size_t round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < kCount; ++i) {
            if (!Measure(contenders[(round + i) % kCount], work)) {
                return 1;
            }
        }
    }
    Print(contenders);
    return 0;
}

}  // namespace
}  // namespace zentaro

int main(int argc, char** argv) {
    zentaro::UseOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    return zentaro::Main(argc, argv);
}
