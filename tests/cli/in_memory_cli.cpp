// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/in_memory_cli.h"

#include <stdio.h>

#include <cstdlib>
#include <memory>

#include "cli/program.h"

namespace zentaro::test {

namespace {

// The ports of every board; opening a name opens the board that has it.
class RackPort final : public SerialPort {
public:
    explicit RackPort(const std::vector<InMemoryBoard*>& boards) {
        for (InMemoryBoard* board : boards) {
            ports_.push_back(board->Port());
        }
    }

    bool Open(const std::string& name, int baudRate) override {
        Close();
        for (const std::unique_ptr<SerialPort>& port : ports_) {
            if (port->Open(name, baudRate)) {
                open_ = port.get();
                return true;
            }
        }
        return false;
    }
    void Close() override {
        if (open_ != nullptr) {
            open_->Close();
            open_ = nullptr;
        }
    }
    bool IsOpen() const override { return open_ != nullptr; }
    long Write(const uint8_t* data, size_t count) override {
        return open_ != nullptr ? open_->Write(data, count) : -1;
    }
    long Read(uint8_t* data, size_t count) override {
        return open_ != nullptr ? open_->Read(data, count) : -1;
    }
    size_t BytesWaiting() override { return open_ != nullptr ? open_->BytesWaiting() : 0; }
    bool WaitForData(int timeoutMs) override {
        return open_ != nullptr && open_->WaitForData(timeoutMs);
    }
    void PurgeReceive() override {
        if (open_ != nullptr) {
            open_->PurgeReceive();
        }
    }

private:
    std::vector<std::unique_ptr<SerialPort>> ports_;
    SerialPort* open_ = nullptr;
};

// The boards' ports count time-outs themselves; the pauses between exchanges need none.
class NoPauses final : public Clock {
public:
    void SleepMs(unsigned) override {}
};

// A stream into a temporary file, read back once the program is done with it; or, given a
// text, one to read that text from.
class CapturedStream {
public:
    explicit CapturedStream(const std::string& text = {}) : file_(std::tmpfile()) {
        std::fwrite(text.data(), 1, text.size(), file_);
        std::rewind(file_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    ~CapturedStream() { std::fclose(file_); }
    std::FILE* File() const { return file_; }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        char buffer[4096];
        for (size_t got; (got = std::fread(buffer, 1, sizeof buffer, file_)) > 0;) {
            text.append(buffer, got);
        }
        return text;
    }

private:
    std::FILE* file_;
};

}  // namespace

CliRun RunCliOn(const std::vector<InMemoryBoard*>& boards, const std::vector<std::string>& args,
                const std::string& input) {
    NoPauses clock;
    CapturedStream out;
    CapturedStream err;
    CapturedStream in(input);
    const cli::ProgramHost host{.newPort = [&] { return std::make_unique<RackPort>(boards); },
                                .clock = clock,
                                .out = out.File(),
                                .err = err.File(),
                                .in = input.empty() ? nullptr : in.File()};
    const int exitCode = cli::RunProgram(args, host);
    return {exitCode, out.Text(), err.Text()};
}

InMemoryBoard& BoardRack::StartBoard(const std::string& port, std::vector<std::string> more) {
    std::vector<std::string> args = {"--port", port, "--chip", chip_};
    args.insert(args.end(), more.begin(), more.end());
    boards_.push_back(std::make_unique<InMemoryBoard>(args));
    return *boards_.back();
}

CliRun BoardRack::Cli(const std::vector<std::string>& args, const std::string& input) const {
    std::vector<InMemoryBoard*> reachable;
    for (const auto& board : boards_) {
        reachable.push_back(board.get());
    }
    return RunCliOn(reachable, args, input);
}

}  // namespace zentaro::test
