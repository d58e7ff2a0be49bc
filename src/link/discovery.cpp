// SPDX-License-Identifier: GPL-3.0-or-later
#include <string>
#include <vector>

#include "link/low_io.h"

namespace zentaro {

namespace {

struct ScanRound {
    int baudRate;
    bool upgradeMode;
};
// Every rate as a running board, then the two lower ones again as a board in upgrade mode.
constexpr ScanRound kScanRounds[] = {{kBoardBaudRates[0], false},
                                     {kBoardBaudRates[1], false},
                                     {kBoardBaudRates[2], false},
                                     {kBoardBaudRates[1], true},
                                     {kBoardBaudRates[2], true}};
constexpr int kScannedPorts = 4;

}  // namespace

bool CLowIO::OpenAndScan() {
    std::vector<ScanStep> steps;
    for (const ScanRound& round : kScanRounds) {
        for (int n = 1; n <= kScannedPorts; ++n) {
            steps.push_back({"COM" + std::to_string(n), round.baudRate, round.upgradeMode});
        }
    }
    return RunScan(steps);
}

bool CLowIO::OpenPort(const std::string& name, std::optional<int> baudRate) {
    std::vector<ScanStep> steps;
    for (const ScanRound& round : kScanRounds) {
        if (!baudRate || *baudRate == round.baudRate) {
            steps.push_back({name, round.baudRate, round.upgradeMode});
        }
    }
    return RunScan(steps);
}

bool CLowIO::RunScan(const std::vector<ScanStep>& steps) {
    inProgMode_ = false;
    SerialPort& port = wire_.port();
    if (port.IsOpen()) {
        port.Close();
    }
    scanReport_.clear();
    for (const ScanStep& step : steps) {
        const bool opened = port.Open(step.port, step.baudRate);
        Remember(PortAttempt{.port = step.port,
                             .opened = opened,
                             .trouble = opened ? OpenTrouble{} : port.LastOpenTrouble()});
        if (!opened) {
            continue;
        }
        wire_.Wake();
        if (step.upgradeMode ? IdentifyUpgradeMode() : Identify()) {
            portName_ = step.port;
            baudRate_ = step.baudRate;
            autoIncrement_ = wire_.QueryAutoIncrement();
            return true;
        }
        port.Close();
    }
    return false;
}

void CLowIO::Remember(PortAttempt attempt) {
    for (PortAttempt& known : scanReport_) {
        if (known.port == attempt.port) {
            // A port opened at some step tells more than a later failure at another rate.
            if (!known.opened) {
                known = std::move(attempt);
            }
            return;
        }
    }
    scanReport_.push_back(std::move(attempt));
}

bool CLowIO::Identify() {
    return wire_.Identify(softwareIdentifier_);
}

bool CLowIO::IdentifyUpgradeMode() {
    return wire_.IdentifyUpgradeMode(softwareIdentifier_);
}

bool CLowIO::IsOpen() const {
    return wire_.port().IsOpen();
}

}  // namespace zentaro
