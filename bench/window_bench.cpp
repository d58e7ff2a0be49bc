// SPDX-License-Identifier: GPL-3.0-or-later
// Programs flash word by word (no blocks, auto-increment) from the main window, shown (on the
// display, or offscreen without one), against the simulated board pacing its line at 115200 baud,
// and measures what the host adds between two exchanges: the time from the end of one reply to the
// next command going out, with the window's progress updates in the loop. Gaps that hold one of the
// protocol's own pauses are left out.
//
//   window_bench [--size BYTES]      (default 8192 bytes of program flash, then its verify)

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/keeping_panel.h"
#include "images/hex_writer.h"
#include "link/posix_serial_port.h"
#include "sim/sim_server.h"
#include "ui/main_dialog.h"
#include "ui/settings_store.h"
#include "ui/status_line.h"

namespace zentaro {
namespace {

using Clocked = std::chrono::steady_clock;
constexpr int kBaud = 115200;
constexpr const char* kChip = "Mirval 10";

// Sleeps for real and marks that a protocol pause happened since the last reply.
class MarkingClock final : public Clock {
public:
    void SleepMs(unsigned milliseconds) override {
        paused = true;
        system.SleepMs(milliseconds);
    }
    std::atomic<bool> paused{false};
    SystemClock system;
};

// Where the link's thread spent its time in the window: the panel calls that ran on it.
struct WindowTime {
    std::atomic<std::thread::id> linkThread;
    std::vector<double> callsUs;  // only touched on the link's thread
};

// The main window, timing its progress and status calls when they run on the link's thread.
class TimedDialog final : public MainDialog {
public:
    TimedDialog(SettingsStore& settings, std::unique_ptr<SerialPort> port, Clock& clock,
                WindowTime& time)
        : MainDialog(settings, std::move(port), clock), time_(time) {}

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

private:
    template <class Call>
    void Timed(Call call) {
        const auto start = Clocked::now();
        call();
        if (std::this_thread::get_id() == time_.linkThread.load()) {
            time_.callsUs.push_back(
                std::chrono::duration<double, std::micro>(Clocked::now() - start).count());
        }
    }
    WindowTime& time_;
};

// The port under the link, timing the host's share between a reply and the next command.
class TimedPort final : public SerialPort {
public:
    TimedPort(std::unique_ptr<SerialPort> inner, MarkingClock& clock, WindowTime& time)
        : inner_(std::move(inner)), clock_(clock), time_(time) {}

    bool Open(const std::string& name, int baudRate) override {
        return inner_->Open(name, baudRate);
    }
    void Close() override { inner_->Close(); }
    bool IsOpen() const override { return inner_->IsOpen(); }
    long Write(const uint8_t* data, size_t count) override {
        const auto now = Clocked::now();
        time_.linkThread = std::this_thread::get_id();
        if (measuring && haveReply_ && !clock_.paused.exchange(false)) {
            gapsUs.push_back(std::chrono::duration<double, std::micro>(now - lastReply_).count());
        }
        return inner_->Write(data, count);
    }
    long Read(uint8_t* data, size_t count) override {
        const long got = inner_->Read(data, count);
        MarkReply();
        return got;
    }
    size_t BytesWaiting() override { return inner_->BytesWaiting(); }
    bool WaitForData(int timeoutMs) override {
        const bool waiting = inner_->WaitForData(timeoutMs);
        MarkReply();
        return waiting;
    }
    void PurgeReceive() override { inner_->PurgeReceive(); }

    std::atomic<bool> measuring{false};
    std::vector<double> gapsUs;

private:
    void MarkReply() {
        lastReply_ = Clocked::now();
        haveReply_ = true;
        clock_.paused = false;
    }

    std::unique_ptr<SerialPort> inner_;
    MarkingClock& clock_;
    WindowTime& time_;
    Clocked::time_point lastReply_;
    bool haveReply_ = false;
};

bool WriteHexFile(const std::string& path, size_t size) {
    std::mt19937 random(20240601);
    std::vector<uint8_t> memory(size);
    for (uint8_t& b : memory) {
        b = static_cast<uint8_t>(random() % 255);
    }
    KeepingPanel panel(true);
    std::unique_ptr<HexOutput> output = CreateHexOutput(path, panel);
    return output && WriteHexRecords(*output, memory.data(), static_cast<uint32_t>(size)) &&
           output->WriteEndRecord() && output->Commit();
}

// Yes (or OK) to every box, so that no question stops the run.
void AnswerBoxes() {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        QAbstractButton* button = box->button(QMessageBox::Yes);
        (button != nullptr ? button : box->button(QMessageBox::Ok))->click();
    }
}

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
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home.path());
    const std::string hexPath = home.filePath("image.hex").toStdString();
    if (!WriteHexFile(hexPath, size)) {
        std::printf("cannot write %s\n", hexPath.c_str());
        return 1;
    }
    SettingsStore store;
    if (!store.WriteText(kFileNameKey, QString::fromStdString(hexPath))) {
        std::fprintf(stderr, "cannot store the file name\n");
        return 1;
    }

    sim::SimServer board({"--chip", kChip, "--pace", "--baud", std::to_string(kBaud),
                          "--block-size", "0", "--auto-increment", "Y"},
                         home.path().toStdString());
    if (!board.Start()) {
        std::printf("%s\n", board.Error().c_str());
        return 1;
    }
    MarkingClock clock;
    WindowTime windowTime;
    auto timed = std::make_unique<TimedPort>(
        std::make_unique<PosixSerialPort>(PortNames{home.path().toStdString(), {}}), clock,
        windowTime);
    TimedPort& port = *timed;
    TimedDialog dialog(store, std::move(timed), clock, windowTime);
    if (!dialog.Initialise()) {
        std::printf("no board\n");
        return 1;
    }
    dialog.show();
    QTimer answerer;
    QObject::connect(&answerer, &QTimer::timeout, [] { AnswerBoxes(); });
    answerer.start(20);

    port.measuring = true;
    windowTime.callsUs.clear();
    const auto start = Clocked::now();
    dialog.findChild<QPushButton*>(QStringLiteral("programFlashButton"))->click();
    const double wall = std::chrono::duration<double>(Clocked::now() - start).count();
    port.measuring = false;

    std::vector<double> gaps = port.gapsUs;
    if (gaps.empty()) {
        std::printf("no exchange measured\n");
        return 1;
    }
    std::sort(gaps.begin(), gaps.end());
    double total = 0;
    for (const double gap : gaps) {
        total += gap;
    }
    const auto over1ms = std::count_if(gaps.begin(), gaps.end(), [](double g) { return g > 1000; });
    std::printf("Program + verify %zu bytes of \"%s\" from the window, word by word, %d baud\n",
                size, kChip, kBaud);
    std::printf("status      %s\n", dialog.Status().Text().toStdString().c_str());
    std::printf("wall        %.2f s\n", wall);
    std::printf("exchanges   %zu\n", gaps.size());
    std::printf("host/exch   mean %.1f us, median %.1f us, p99 %.1f us, max %.1f us\n",
                total / static_cast<double>(gaps.size()), gaps[gaps.size() / 2],
                gaps[gaps.size() * 99 / 100], gaps.back());
    std::printf("over 1 ms   %ld gaps, %.1f ms in them\n", static_cast<long>(over1ms),
                std::accumulate(gaps.end() - over1ms, gaps.end(), 0.0) / 1000);
    std::printf("host share  %.2f %% of the command's time\n", total / 1e6 / wall * 100);
    const std::vector<double>& calls = windowTime.callsUs;
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
    // On a display (e.g. xvfb-run) painting costs what it costs a user; offscreen otherwise.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    return zentaro::Main(argc, argv);
}
