// SPDX-License-Identifier: GPL-3.0-or-later
// Programs and verifies a full "Mirval 10" flash (128 KiB) through zentaro-cli --port against
// the simulated board pacing its line at 115200 baud, once on one board and once on three
// boards with one command, and compares the wall time with what the wire and the protocol's
// fixed pauses need at the least. Then runs a production job (that flash, a full 4 KiB
// EEPROM, a serial number and two fuse bytes) on one board and on eight at once.
//
//   cli_bench
//
// The fixed pauses are counted by running the same command in this process through the
// session, with a clock that adds them up; that run's time is also the reference for what the
// command line adds to the core.

#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench/counting_clock.h"
#include "common/keeping_panel.h"
#include "images/hex_writer.h"
#include "link/posix/posix_serial_port.h"
#include "session/session.h"
#include "sim/sim_server.h"

namespace zentaro {
namespace {

constexpr int kBaud = 115200;
constexpr const char* kChip = "Mirval 10";
constexpr size_t kSize = 131072;

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// A full image without blank bytes, so that every byte goes over the wire.
bool WriteImage(const std::string& path, size_t size = kSize) {
    std::mt19937 random(20240601);
    std::vector<uint8_t> image(size);
    for (uint8_t& b : image) {
        b = static_cast<uint8_t>(random() % 255);
    }
    std::unique_ptr<HexOutput> output = CreateHexOutput(AtomicFile::Create(path));
    return output && WriteHexRecords(*output, image.data(), static_cast<uint32_t>(size)) &&
           output->WriteEndRecord() && output->Commit();
}

std::vector<std::unique_ptr<sim::SimServer>> StartBoards(size_t count, bool paced,
                                                         const std::string& home) {
    std::vector<std::unique_ptr<sim::SimServer>> boards;
    for (size_t i = 0; i < count; ++i) {
        std::vector<std::string> args = {"--port", "COM" + std::to_string(i + 1), "--chip", kChip,
                                         "--baud", std::to_string(kBaud)};
        if (paced) {
            args.push_back("--pace");
        }
        boards.push_back(std::make_unique<sim::SimServer>(args, home));
        if (!boards.back()->Start()) {
            std::printf("board %zu: %s\n", i + 1, boards.back()->Error().c_str());
            return {};
        }
    }
    return boards;
}

struct Timing {
    double wall = -1;
    double wire = 0;
    double pauses = 0;
};

double WireSeconds(const sim::SimServer& board) {
    const sim::Counters counters = board.Count();
    return static_cast<double>(counters.bytesIn + counters.bytesOut) * 10.0 / kBaud;
}

// One "program flash" as the command line runs it, in this process through the session:
// the fixed pauses it takes, and the reference for what the command line adds. command: the
// memory command alone, without finding the board.
Timing RunInProcess(const std::string& home, const std::string& image, Timing& command) {
    auto boards = StartBoards(1, true, home);
    KeepingPanel panel(true);
    CountingClock clock;
    Session session(std::make_unique<PosixSerialPort>(PortNames{home, {}}), panel, clock);
    const auto start = std::chrono::steady_clock::now();
    if (boards.empty() || !session.Open("COM1", kBaud).Ok()) {
        return {};
    }
    session.LearnBoard();
    if (!session.SelectDevice(kChip).Ok()) {
        return {};
    }
    const double wireBefore = WireSeconds(*boards.front());
    const unsigned long pausedBefore = clock.pausedMs;
    const auto commandStart = std::chrono::steady_clock::now();
    if (!session.Run(MemoryCommand::ProgramFlash, image, {}).Ok()) {
        for (const std::string& notice : panel.notices) {
            std::printf("notice: %s\n", notice.c_str());
        }
        return {};
    }
    command = {Since(commandStart), WireSeconds(*boards.front()) - wireBefore,
               static_cast<double>(clock.pausedMs - pausedBefore) / 1000.0};
    return {Since(start), WireSeconds(*boards.front()),
            static_cast<double>(clock.pausedMs) / 1000.0};
}

void Print(const char* label, const Timing& timing) {
    const double least = timing.wire + timing.pauses;
    std::printf("%-28s %7.2f s wall; wire %.2f s + pauses %.2f s = %.2f s; ratio %.3f\n", label,
                timing.wall, timing.wire, timing.pauses, least, timing.wall / least);
}

// Runs zentaro-cli on the given boards with the command after the options, and returns its
// wall time, or a negative time when it failed.
double RunCli(size_t boards, const std::string& home, const std::vector<std::string>& command) {
    std::vector<std::string> words = {ZENTARO_CLI_PATH, "-q", "-b", std::to_string(kBaud)};
    for (size_t i = 0; i < boards; ++i) {
        words.insert(words.end(), {"-p", "COM" + std::to_string(i + 1)});
    }
    words.insert(words.end(), command.begin(), command.end());
    std::vector<char*> argv;
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    const std::string env = "XDG_CONFIG_HOME=" + home;
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
        putenv(const_cast<char*>(env.c_str()));
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    const double wall = Since(start);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? wall : -1;
}

int JobOnOneAndEightBoards(const std::filesystem::path& folder, const std::string& home,
                           const std::string& flash) {
    const std::string eeprom = (folder / "eeprom.hex").string();
    const std::string job = (folder / "line.toml").string();
    FILE* file = std::fopen(job.c_str(), "w");
    if (!WriteImage(eeprom, 4096) || file == nullptr) {
        std::printf("cannot write the job's files\n");
        return 1;
    }
    std::fprintf(file,
                 "device = \"%s\"\n[flash]\nfile = \"%s\"\n[eeprom]\nfile = \"%s\"\n"
                 "[fuses]\nlow = \"E2\"\nhigh = \"D9\"\n[serial]\nmemory = \"eeprom\"\n"
                 "address = 0x10\nsize = 4\nstart = 1000\ncounter = \"serial.counter\"\n",
                 kChip, flash.c_str(), eeprom.c_str());
    std::fclose(file);
    double single = 0;
    for (size_t count : {size_t{1}, size_t{8}}) {
        auto boards = StartBoards(count, true, home);
        if (boards.empty()) {
            return 1;
        }
        const double wall = RunCli(count, home, {"job", job});
        if (wall < 0) {
            std::printf("%zu board(s): the job failed\n", count);
            return 1;
        }
        std::printf("job, %zu board(s): %7.2f s wall; wire %.2f s per board\n", count, wall,
                    WireSeconds(*boards.front()));
        if (count == 1) {
            single = wall;
        } else {
            std::printf("eight boards / one board: %.3f (target <= 1.15)\n", wall / single);
        }
    }
    return 0;
}

int Main() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "zentaro-bench-XXXXXX").string();
    const std::filesystem::path folder = ::mkdtemp(pattern.data());
    const std::string home = (folder / "home").string();
    const std::string image = (folder / "image.hex").string();
    if (!WriteImage(image)) {
        std::printf("cannot write %s\n", image.c_str());
        return 1;
    }
    Timing command;
    const Timing session = RunInProcess(home, image, command);
    if (session.wall < 0) {
        std::printf("the in-process run failed\n");
        return 1;
    }
    Print("session, the command alone", command);
    Print("session, board found first", session);

    double single = 0;
    for (size_t count : {size_t{1}, size_t{3}}) {
        auto boards = StartBoards(count, true, home);
        if (boards.empty()) {
            return 1;
        }
        const double wall = RunCli(count, home, {"-d", kChip, "program", "flash", image});
        if (wall < 0) {
            std::printf("%zu board(s): zentaro-cli failed\n", count);
            return 1;
        }
        // Every board carries the same traffic; the first one stands for all.
        Print(count == 1 ? "zentaro-cli, one board" : "zentaro-cli, three boards",
              {wall, WireSeconds(*boards.front()), session.pauses});
        if (count == 1) {
            single = wall;
        } else {
            std::printf("three boards / one board: %.3f (target <= 1.15)\n", wall / single);
        }
    }
    const int job = JobOnOneAndEightBoards(folder, home, image);
    std::error_code error;
    std::filesystem::remove_all(folder, error);
    return job;
}

}  // namespace
}  // namespace zentaro

int main() {
    return zentaro::Main();
}
