// SPDX-License-Identifier: GPL-3.0-or-later
// Programs flash word by word (no blocks, auto-increment) from the main window, shown (on the
// display, or offscreen without one), against the simulated board pacing its line at 115200 baud,
// and measures what the host adds between two exchanges: the time from the end of one reply to the
// next command going out, with the window's progress updates in the loop. Gaps that hold one of the
// protocol's own pauses are left out.
//
//   window_bench [--size BYTES]      (default 8192 bytes of program flash, then its verify)

#include <QApplication>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "bench/timed_port.h"
#include "bench/window_driver.h"
#include "bench/workload.h"
#include "link/posix/posix_serial_port.h"
#include "sim/sim_server.h"
#include "ui/main_dialog.h"
#include "ui/settings_store.h"
#include "ui/status_line.h"

namespace zentaro {
namespace {

using Clocked = std::chrono::steady_clock;

// The main window, timing its progress and status calls when they run on the link's thread.
class TimedDialog final : public MainDialog {
public:
    // port: the one under the link, which knows the link's thread.
    TimedDialog(SettingsStore& settings, std::unique_ptr<SerialPort> link, const TimedPort& port,
                Clock& clock)
        : MainDialog(settings, std::move(link), clock), port_(port) {}

    void SetStatus(const std::string& text) override {
        Timed([&] { MainDialog::SetStatus(text); });
    }
    void AppendStatus(const std::string& text) override {
        Timed([&] { MainDialog::AppendStatus(text); });
    }
    void StartProgress(int max) override {
        Timed([&] { MainDialog::StartProgress(max); });
    }
    void SetProgressPosition(int position) override {
        Timed([&] { MainDialog::SetProgressPosition(position); });
    }
    void EndProgress() override {
        Timed([&] { MainDialog::EndProgress(); });
    }

    std::vector<double> callsUs;  // only touched on the link's thread

private:
    template <class Call>
    void Timed(Call call) {
        const auto start = Clocked::now();
        call();
        if (std::this_thread::get_id() == port_.writer.load()) {
            callsUs.push_back(
                std::chrono::duration<double, std::micro>(Clocked::now() - start).count());
        }
    }
    const TimedPort& port_;
};

int Main(int argc, char** argv) {
    size_t size = 8192;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--size") == 0 && i + 1 < argc) {
            size = std::strtoul(argv[++i], nullptr, 0) & ~size_t{15};
        } else {
            std::printf("usage: %s [--size BYTES]\n", argv[0]);
            return 2;
        }
    }
    if (size == 0) {
        std::printf("the size must be at least 16 bytes\n");
        return 2;
    }
    QTemporaryDir home;
    const std::string hexPath = home.filePath("image.hex").toStdString();
    if (!WriteHexFile(hexPath, TestImage(size)) || !UseScratchSettings(home.path(), hexPath)) {
        std::printf("cannot write %s or the window's settings\n", hexPath.c_str());
        return 1;
    }

    sim::SimServer board(SingleWordBoardOptions(), home.path().toStdString());
    if (!board.Start()) {
        std::printf("%s\n", board.Error().c_str());
        return 1;
    }
    ExchangeLog log;
    PausingClock clock(log);
    auto timed = std::make_unique<TimedPort>(
        std::make_unique<PosixSerialPort>(PortNames{home.path().toStdString(), {}}), log);
    const TimedPort& port = *timed;
    SettingsStore store;
    TimedDialog dialog(store, std::move(timed), port, clock);
    if (!dialog.Initialise()) {
        std::printf("no board\n");
        return 1;
    }
    log.Begin();
    const auto start = Clocked::now();
    ProgramFlashFromWindow(dialog);
    log.End();
    const double wall = std::chrono::duration<double>(Clocked::now() - start).count();

    const TurnaroundFigures gaps = log.Figures();
    if (gaps.exchanges == 0) {
        std::printf("no exchange measured\n");
        return 1;
    }
    std::printf("Program + verify %zu bytes of \"%s\" from the window, word by word, %d baud\n",
                size, kBenchChip, kBenchBaud);
    std::printf("status      %s\n", dialog.Status().Text().toStdString().c_str());
    std::printf("wall        %.2f s\n", wall);
    std::printf("exchanges   %zu\n", gaps.exchanges);
    std::printf("host/exch   mean %.1f us, median %.1f us, p99 %.1f us, max %.1f us\n", gaps.meanUs,
                gaps.medianUs, gaps.p99Us, gaps.maxUs);
    std::printf("over 1 ms   %ld gaps, %.1f ms in them\n", gaps.stalls, gaps.stalledUs / 1000);
    std::printf("host share  %.2f %% of the command's time\n", gaps.totalUs / 1e6 / wall * 100);
    const std::vector<double>& calls = dialog.callsUs;
    const double inWindow = std::accumulate(calls.begin(), calls.end(), 0.0);
    std::printf(
        "window      %zu status/progress calls on the link's thread, %.1f ms in them "
        "(%.2f %%), %ld over 1 ms\n",
        calls.size(), inWindow / 1000, inWindow / 1e6 / wall * 100,
        static_cast<long>(
            std::count_if(calls.begin(), calls.end(), [](double c) { return c > 1000; })));
    board.Stop();
    return 0;
}

}  // namespace
}  // namespace zentaro

int main(int argc, char** argv) {
    zentaro::UseOffscreenWithoutDisplay();
    QApplication application(argc, argv);
    return zentaro::Main(argc, argv);
}
